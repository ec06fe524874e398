#pragma once
// Page objects whose dictionary carries "%" comments (some writers put
// "% 1" after /Type /Page). The job's page copy joins the dictionary's
// tokens on one line, so such a comment would swallow every key after it.
// These helpers notice such a page and write its replacement again with
// the comments left out; the object written last is the one the update's
// cross-reference section lists.
#include <cstdint>

#include "engine/PdfJob.h"

namespace sgry {

// True when the dictionary of the page object (in the job's current file)
// holds a token that begins with "%".
bool PageDictionaryHasComment(PdfJob& job, const PageEntry& page);

// Appends the page object of page list entry `index` once more: the first
// three lines of the copy the job wrote last (object line, /Contents,
// /Resources) and the rest of the old dictionary without comments. Call it
// right after PdfJob::WritePageObject. False when that copy cannot be read
// back or the new one cannot be written.
bool RewritePageWithoutComments(PdfJob& job, int32_t index);

}  // namespace sgry
