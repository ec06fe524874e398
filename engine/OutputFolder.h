#pragma once
// Where sigilry-cli --output-dir puts each output: in the folder under the
// source's own name ("_" before it when asked), or, with the tree kept, in
// the folders that lead from the sources' common folder down to the source.
// Each name goes to one source of a run; a name that exists on the disk is
// taken only when the run may replace files. The folder is never the
// sources': outputs are copies (engine/OutputNaming.h, FixedOutput).
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "engine/JobError.h"

namespace sgry {

class OutputFolder {
public:
    struct Options {
        std::string folder;
        bool keepTree = false;
        bool prefix = false;   // "_" before each name, as the prefixed copy has it
        bool replace = false;  // existing files of the folder may be replaced
    };

    explicit OutputFolder(Options options) : options_(std::move(options)) {}

    // The run's sources, whose common folder the kept tree starts below.
    void SetSources(const std::vector<std::string>& sources);
    std::string TargetOf(const std::string& source) const;
    // Takes target for source: None, or OutputIsSource, OutputNameTaken,
    // OutputExists (engine/JobError.h) when the source is passed over.
    JobError Claim(const std::string& source, const std::string& target);
    bool Replaces() const { return options_.replace; }

private:
    Options options_;
    std::filesystem::path common_;
    std::set<std::string> claimed_;
};

}  // namespace sgry
