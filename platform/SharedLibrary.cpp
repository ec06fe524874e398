#include "platform/SharedLibrary.h"

#include <dlfcn.h>

namespace sgry {

namespace {
std::string LoaderError(const char* fallback) {
    const char* text = ::dlerror();
    return text ? text : fallback;
}
}  // namespace

// Resolved at once (RTLD_NOW): a broken installation fails here rather than
// in the middle of a decode.
SharedLibrary::SharedLibrary(const char* soname) : handle_(::dlopen(soname, RTLD_NOW | RTLD_LOCAL)) {
    if (!handle_) error_ = LoaderError(soname);
}

SharedLibrary::~SharedLibrary() {
    if (handle_) ::dlclose(handle_);
}

void* SharedLibrary::Symbol(const char* name) {
    if (!handle_) return nullptr;
    ::dlerror();
    void* symbol = ::dlsym(handle_, name);
    if (!symbol) error_ = LoaderError(name);
    return symbol;
}

}  // namespace sgry
