#ifndef CliOutputCheckH
#define CliOutputCheckH

// Comparing an output folder with what a run would write there.

#include <map>
#include <string>
#include <vector>

struct OutputDifference {
    enum Kind { Changed, Missing, Extra };
    Kind What;
    std::string File;  // relative to the output folder, '/' between names
};

// A path below the output folder as the user reads it: relative to the
// root, '/' between names.
std::string Relative(const std::string& path, const std::string& root);

// The files a run rendered (by path below `root`, as the run named them)
// set against what the folder `root` holds: a file with other bytes is
// changed, one that is not there missing; a file of generated kind (.h or
// .cpp) in the DBComm tree that the run would not write is extra, and so is
// a new file a cut-short write left behind. Sorted by
// file. Paths are UTF-8.
std::vector<OutputDifference> CompareOutput(const std::map<std::string, std::string>& rendered,
                                            const std::string& root);

#endif
