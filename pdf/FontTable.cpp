#include "pdf/FontTable.h"

namespace sgry {

int FindFont(std::string_view pdfFontName) {
    for (std::size_t i = 0; i < FontTable.size(); ++i)
        if (FontTable[i].pdfName == pdfFontName) return static_cast<int>(i);
    return 0;
}

}  // namespace sgry
