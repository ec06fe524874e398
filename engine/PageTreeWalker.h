#pragma once
// Walks the page tree of a job's source into its page list. Works on the
// source file token by token; builds no object tree.
//
// Inherited down the tree: /MediaBox (default [0 0 595 842]), /Rotate
// (default 0) and /Resources. A page without /Resources of its own takes the
// nearest one found on its ancestors (a reference, or the inline dictionary of
// that node); a page with none anywhere gets an empty dictionary of its own.
//
// Guards: a node met a second time (a tree that refers back to an ancestor,
// or shares a subtree), a kid taken as a page that is a node already walked
// (an ancestor without "/Pages" as its type) or the catalog itself, or a tree
// deeper than kMaxDepth fails the walk with page-list error 3.
#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/PageList.h"
#include "engine/PageSelection.h"

namespace sgry {

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
        int32_t mediaBox[4] = {0, 0, 595, 842};
        ResourcesOrigin resources;  // Kind::Empty: nothing inherited
    };
    struct Kid {
        int64_t number;
        int64_t generation;
        bool isNode;
    };

    bool WalkNode(int64_t number, int64_t generation, Inherited inherited, int depth);
    bool ReadKids(std::vector<Kid>& kids);
    void ReadMediaBox(Inherited& values);
    // After "/Resources": the origin of the dictionary held by object (number, generation).
    ResourcesOrigin ReadResources(int64_t number, int64_t generation);
    bool VisitPage(int64_t number, int64_t generation, Inherited inherited);
    bool Fail(int code);

    PdfJob& job_;
    PageSelector selector_;
    std::set<std::pair<int64_t, int64_t>> visitedNodes_;
};

}  // namespace sgry
