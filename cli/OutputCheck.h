#ifndef CliOutputCheckH
#define CliOutputCheckH

// Comparing an output folder with what a run would write there.

#include <string>
#include <vector>

struct OutputDifference {
    enum Kind { Changed, Missing, Extra };
    Kind What;
    std::string File;  // relative to the output folder, '/' between names
};

// The files of `fresh` (a run's whole output) set against `current`: a file
// with other bytes is changed, one that is not there missing; a file of
// generated kind (.h or .cpp) in the DBComm tree of `current` that `fresh`
// lacks is extra. Sorted by file. Paths are GBK.
std::vector<OutputDifference> CompareOutput(const std::string& fresh, const std::string& current);

#endif
