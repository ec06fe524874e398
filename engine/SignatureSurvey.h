#pragma once
// What a source's signatures say about stamping it, read before anything is
// written: a certification (the catalog's /Perms /DocMDP, and the /P of its
// DocMDP reference), usage rights (/Perms /UR3) and the signed fields of
// /AcroForm (fields of type /Sig with a value, /Kids followed, /FT
// inherited). An update keeps every signature valid for the version it
// signed; a certification allows no page change, and usage rights are lost
// with one.
//
// Objects are read through the job (object streams and encrypted sources
// alike); the job's error code is left as it was.
#include <cstdint>

#include "engine/PdfJob.h"

namespace sgry {

// DocMDP /P of a certification whose reference gives none.
inline constexpr int32_t kDefaultDocMdpP = 2;

struct SignatureSurvey {
    int32_t signatures = 0;  // signature fields with a value
    bool certified = false;
    int32_t docMdpP = 0;  // of the certification: 1, 2 or 3
    bool usageRights = false;

    bool Signed() const { return signatures > 0 || certified; }
};

SignatureSurvey SurveySignatures(PdfJob& job);

}  // namespace sgry
