#pragma once
// A shared library opened by its SONAME when a run first needs it, rather
// than by the loader at start: every library mapped at start costs each run
// its page faults and relocations, and most runs never decode an image or
// decrypt a file. Closed when the object goes.
#include <string>

namespace sgry {

class SharedLibrary {
public:
    explicit SharedLibrary(const char* soname);
    ~SharedLibrary();
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    bool IsLoaded() const { return handle_ != nullptr; }
    // The loader's reason for the failed open or the last failed Bind.
    const std::string& Error() const { return error_; }

    // Points function at the library's symbol called name; false, with the
    // function null, when the library is not loaded or lacks the symbol.
    template <typename Function>
    bool Bind(Function*& function, const char* name) {
        function = reinterpret_cast<Function*>(Symbol(name));
        return function != nullptr;
    }

private:
    void* Symbol(const char* name);

    void* handle_ = nullptr;
    std::string error_;
};

// A table of a library's functions, filled once by bind, which returns false
// when a function is missing. The table is given only when every function
// was found.
template <typename Table>
class LibraryFunctions {
public:
    LibraryFunctions(const char* soname, bool (*bind)(SharedLibrary&, Table&)) : library_(soname) {
        complete_ = library_.IsLoaded() && bind(library_, table_);
    }
    // The table, or null when the library or one of its functions is missing.
    const Table* Functions() const { return complete_ ? &table_ : nullptr; }
    // The loader's reason when Functions() is null.
    const std::string& Error() const { return library_.Error(); }

private:
    SharedLibrary library_;
    Table table_;
    bool complete_ = false;
};

// Binds the table's member called as the library's function, in a bind
// function of a LibraryFunctions.
#define SGRY_BIND(library, table, function) (library).Bind((table).function, #function)

}  // namespace sgry
