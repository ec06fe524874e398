#pragma once
// The security handler of a source whose newest trailer names /Encrypt:
// reads the /Encrypt dictionary (inline, or an object that stands in the
// file itself) and the first /ID string, and authenticates the passwords.
#include <cstdint>
#include <memory>

#include "engine/ObjectOffsetTable.h"
#include "pdf/SecurityHandler.h"
#include "pdf/TokenReader.h"

namespace sgry {

struct SourceSecurity {
    // security_error::*: kNone with a null handler for a file that is not encrypted.
    int error = security_error::kNone;
    std::unique_ptr<SecurityHandler> handler;
    // The /Encrypt dictionary's object when the trailer refers to one (-1: none).
    int64_t encryptNumber = -1;
    int64_t encryptGeneration = 0;
};

// reader: the job's reader, not yet decrypting; trailerKeys: the newest
// trailer's keys as CopyTrailerKeys gives them.
SourceSecurity ReadSourceSecurity(TokenReader& reader, const ObjectOffsetTable& offsets,
                                  const std::string& trailerKeys, const Passwords& passwords);

}  // namespace sgry
