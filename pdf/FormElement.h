#pragma once
// A stamp drawn once into a form XObject that carries its own resources: the
// font under "/WM1" and a graphics state under "/WMI" that holds the opacity.
// The page content only paints the form with a placement matrix, under the
// name the page's resources give it.
//
// Build() writes, in this order and so with increasing object numbers: the
// graphics state, the font's objects (when a font is set) and the form.
// What the form contains, how large it is and where the page places it is
// supplied by the subclasses (render/TextWatermark.h, render/BandWatermark.h).
//
// Lifecycle: create, set the fields, Build() once, set the form resource name,
// take PlacementContent() for every page that uses the form. The element owns
// its font.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "pdf/ObjectWriter.h"
#include "pdf/PageEntry.h"
#include "pdf/PdfFont.h"

namespace sgry {

// Number and generation of an object written by an element; number 0 until
// the object has been written.
struct ObjectRef {
    int32_t number = 0;
    int32_t generation = 0;
};

class FormElement {
public:
    // Names inside every form: its resources are its own, so two forms on
    // one page use the same names without conflict.
    static constexpr std::string_view kFontResourceName = "/WM1";
    static constexpr std::string_view kGraphicsStateName = "/WMI";

    FormElement() = default;
    virtual ~FormElement() = default;
    FormElement(const FormElement&) = delete;
    FormElement& operator=(const FormElement&) = delete;

    // Graphics state, font objects (skipped without a font), form. Returns
    // WriteForm's result. Write failures are left in the recorded offsets (-1).
    virtual int Build(ObjectWriter& writer);
    // The page-content fragment that paints the form under FormResourceName().
    virtual std::string PlacementContent() const = 0;
    // The form object; valid after Build().
    virtual ObjectRef FormRef() const { return form_; }
    // Size of the form in points (its /BBox is [-100 -100 2W 2H]).
    virtual float FormHeight() const = 0;
    virtual float FormWidth() const = 0;
    // Font size in points at which the element's text fills its form.
    virtual float FitFontSize() const = 0;
    // The form's content stream with its drawing moved by (x, y) points; a
    // negative size means FitFontSize().
    virtual std::string FormContent(float x, float y, float size) const = 0;

    // The /ExtGState object: /BM /Normal, /ca and /CA density x 0.01, /AIS
    // false (kind GraphicsState). Returns 1, or 0 when its header could not
    // be written (the offset recorded is then -1).
    int WriteGraphicsState(ObjectWriter& writer);
    // The form XObject (kind Form): resources, /BBox, identity /Matrix and
    // the content FormContent(0, 0, -1), FlateDecode-compressed when the
    // compression succeeds, else plain. Returns 1, or 0 when its header
    // could not be written.
    int WriteForm(ObjectWriter& writer);

    ObjectRef GraphicsStateRef() const { return graphicsState_; }

    // Opacity in percent; values outside 0-100 are clamped (a PDF reader
    // accepts only 0.00-1.00).
    void SetDensity(int32_t percent);
    int32_t Density() const { return density_; }
    // 0x00BBGGRR (red in the lowest byte).
    void SetColor(int32_t color) { color_ = color; }
    int32_t Color() const { return color_; }
    // One of the nine positions 0-8 (4 is the centre).
    void SetPosition(int32_t position) { position_ = position; }
    int32_t Position() const { return position_; }
    void SetFollowMargins(bool follow) { followMargins_ = follow; }
    bool FollowMargins() const { return followMargins_; }
    // The page-size class the element is laid out for: width, height and
    // rotation are used.
    void SetPage(const PageEntry& page) { page_ = page; }
    const PageEntry& Page() const { return page_; }
    // The name the page's resources give the form, e.g. "/UK3".
    void SetFormResourceName(std::string_view name) { formResourceName_ = name; }
    const std::string& FormResourceName() const { return formResourceName_; }
    // The font that draws the element's text; the element owns it.
    void SetFont(std::unique_ptr<PdfFont> font) { font_ = std::move(font); }
    const PdfFont* Font() const { return font_.get(); }

private:
    int32_t density_ = 30;
    int32_t color_ = 0;
    int32_t position_ = 4;
    bool followMargins_ = true;
    PageEntry page_;
    std::string formResourceName_;
    std::unique_ptr<PdfFont> font_;
    ObjectRef graphicsState_;
    ObjectRef form_;
};

}  // namespace sgry
