#pragma once
#include <filesystem>

// The temporary files `save` writes beside its target before it replaces the
// target with one in one step.
namespace korvidctl {

// "<path>.<random>-<time>-<count>.tmp": a name no other save uses, not even
// one running at the same time in another process.
std::filesystem::path TemporaryPathFor(const std::filesystem::path& path);

// Removes the temporaries of `path` that saves killed before they finished
// left behind: those older than any save takes. Fresh ones may belong to a
// save that is running now and stay.
void RemoveOrphanedTemporaries(const std::filesystem::path& path);

}  // namespace korvidctl
