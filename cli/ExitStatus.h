#pragma once
// The exit status of sigilry-cli (its manual page lists the numbers;
// platform/CodeNumber.h turns a status into its number as main returns it).
namespace sgry::cli {

enum class ExitStatus : int {
    AllDone = 0,      // every file was stamped (erased, with --erase); also --help, --version, --keys
    SomeNotDone = 1,  // a file was not read, stamped or erased, was skipped, or the run was declined
    UsageError = 2,   // a usage error, a watermark image that cannot be used, or no way to confirm
};

}  // namespace sgry::cli
