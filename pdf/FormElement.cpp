#include "pdf/FormElement.h"

#include <algorithm>
#include <utility>

#include "pdf/PdfIndirectObject.h"
#include "pdf/PdfObject.h"

namespace sgry {
namespace {

// The form's own resources: its font, the procedure sets, its graphics state.
std::unique_ptr<PdfDictionary> FormResources(const PdfFont* font, ObjectRef graphicsState) {
    auto resources = std::make_unique<PdfDictionary>();
    // Without a font the form has no text to show and names no font.
    if (font) {
        auto fonts = std::make_unique<PdfDictionary>();
        fonts->AddObject(FormElement::kFontResourceName,
                         std::make_unique<PdfReference>(font->ObjectNumber(), font->Generation()));
        resources->AddObject("/Font", std::move(fonts));
    }
    auto procSet = std::make_unique<PdfArray>();
    procSet->AddLiteral("/PDF");
    procSet->AddLiteral("/Text");
    resources->AddObject("/ProcSet", std::move(procSet));
    auto states = std::make_unique<PdfDictionary>();
    states->AddObject(FormElement::kGraphicsStateName,
                      std::make_unique<PdfReference>(graphicsState.number, graphicsState.generation));
    resources->AddObject("/ExtGState", std::move(states));
    return resources;
}

std::unique_ptr<PdfArray> BoundingBox(float width, float height) {
    auto box = std::make_unique<PdfArray>();
    box->AddInteger(-100);
    box->AddInteger(-100);
    box->AddReal(2.0f * width);
    box->AddReal(2.0f * height);
    return box;
}

std::unique_ptr<PdfArray> IdentityMatrix() {
    auto matrix = std::make_unique<PdfArray>();
    for (int32_t value : {1, 0, 0, 1, 0, 0}) matrix->AddInteger(value);
    return matrix;
}

// Writes dictionary as object (number, 0), with streamBytes as its stream when
// given, and records its offset. Returns 1, or 0 when the header failed.
int WriteDictionary(ObjectWriter& writer, int32_t number, std::unique_ptr<PdfDictionary> dictionary,
                    const std::string* streamBytes = nullptr) {
    PdfIndirectObject object(number, 0);
    object.AddEntry(std::move(dictionary));
    if (streamBytes) {
        auto stream = std::make_unique<PdfRawStream>();
        stream->SetData(*streamBytes);
        object.SetStream(std::move(stream));
    }
    return WriteAndRecord(writer, object) >= 0 ? 1 : 0;
}

}  // namespace

int FormElement::Build(ObjectWriter& writer) {
    WriteGraphicsState(writer);
    if (font_) font_->WriteObjects(writer);
    return WriteForm(writer);
}

void FormElement::SetDensity(int32_t percent) { density_ = std::clamp(percent, 0, 100); }

int FormElement::WriteGraphicsState(ObjectWriter& writer) {
    const int32_t number = writer.NewObject(ObjectKind::GraphicsState);
    const float opacity = static_cast<float>(density_) * 0.01f;
    auto state = std::make_unique<PdfDictionary>();
    state->AddLiteral("/Type", "/ExtGState");
    state->AddLiteral("/BM", "/Normal");
    state->AddObject("/ca", std::make_unique<PdfReal>(opacity));
    state->AddObject("/CA", std::make_unique<PdfReal>(opacity));
    state->AddObject("/AIS", std::make_unique<PdfBoolean>(0));
    graphicsState_ = {number, 0};
    return WriteDictionary(writer, number, std::move(state));
}

int FormElement::WriteForm(ObjectWriter& writer) {
    const std::string content = FormContent(0.0f, 0.0f, -1.0f);
    const int32_t number = writer.NewObject(ObjectKind::Form);

    auto form = std::make_unique<PdfDictionary>();
    form->AddObject("/Resources", FormResources(font_.get(), graphicsState_));
    form->AddObject("/BBox", BoundingBox(FormWidth(), FormHeight()));
    form->AddObject("/Matrix", IdentityMatrix());
    form->AddInteger("/FormType", 1);
    form->AddLiteral("/Type", "/XObject");
    form->AddLiteral("/Subtype", "/Form");
    const std::string streamBytes = AddFlateStream(*form, content);

    form_ = {number, 0};
    return WriteDictionary(writer, number, std::move(form), &streamBytes);
}

}  // namespace sgry
