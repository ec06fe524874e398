#pragma once
// Walks the page tree of a job's source into its page list. Works on the
// source file token by token (comments passed over, strings and nested values
// read whole); builds no object tree.
//
// Inherited down the tree: /MediaBox, /CropBox, /Rotate (default 0) and
// /Resources; the boxes and /Rotate may be indirect objects. The page's
// visible area (engine/PageBox.h) gives its width, height and corner; the
// page list notes the pages whose area is too small for stamps. A page
// without /Resources of its own takes the nearest one found on its ancestors
// (a reference, or the inline dictionary of that node); a page with none
// anywhere gets an empty dictionary of its own.
//
// Guards: a node met a second time (a tree that refers back to an ancestor,
// or shares a subtree), a kid taken as a page that is a node already walked
// (an ancestor without "/Pages" as its type) or the catalog itself, or a tree
// deeper than kMaxDepth fails the walk with PageListError::Unreachable.
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/PageBox.h"
#include "engine/PageList.h"
#include "engine/PageSelection.h"

namespace sgry {

class CommentFreeTokens;
class PdfJob;

class PageTreeWalker {
public:
    static constexpr int kMaxDepth = 1000;

    PageTreeWalker(PdfJob& job, const PageRangeChoice& range) : job_(job), selector_(range) {}
    // Fills the job's page list and size classes; false with the page list's
    // error code set.
    bool Walk();

private:
    struct Inherited {
        int32_t rotation = 0;
        std::optional<PageBox> mediaBox;
        std::optional<PageBox> cropBox;
        ResourcesOrigin resources;  // Kind::Empty: nothing inherited
    };
    struct Kid {
        int64_t number;
        int64_t generation;
    };
    // What ReadEntries found besides the values passed down.
    struct Entries {
        std::string type;        // the value of the dictionary's own /Type
        bool hasKids = false;    // a /Kids key
        bool kidsArray = true;   // false: /Kids is no direct array
    };

    bool WalkNode(int64_t number, int64_t generation, Inherited inherited, int depth);
    bool WalkKids(const std::vector<Kid>& kids, const Inherited& inherited, int depth);
    // Reads the kid once and walks it as a node when its /Type is /Pages,
    // else adds it as a page.
    bool VisitKid(const Kid& kid, const Inherited& inherited, int depth);
    // The entries of the object's dictionary that pass down the tree into
    // values, and its /Kids into kids (nullptr: a page, whose /Kids mean
    // nothing and are passed over as a value).
    Entries ReadEntries(int64_t number, int64_t generation, Inherited& values, std::vector<Kid>* kids);
    void ReadKids(CommentFreeTokens& tokens, std::vector<Kid>& kids);
    // The value that begins with first, or the value of the object it refers to.
    std::vector<std::string> ResolvedValue(CommentFreeTokens& tokens, const std::string& first);
    // The origin of a /Resources value held by object (number, generation).
    static ResourcesOrigin Resources(const std::vector<std::string>& value, int64_t number, int64_t generation);
    // A page whose values are read: it takes the next label of the selection.
    bool AddPage(const Kid& page, const Inherited& values);
    bool Fail(PageListError code);

    PdfJob& job_;
    PageSelector selector_;
    std::set<std::pair<int64_t, int64_t>> visitedNodes_;
};

}  // namespace sgry
