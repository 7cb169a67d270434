// What every driver checks with: the failures counted, the events the VCL
// stand-in journaled taken as they come, and two lists of events compared.
#ifndef DriverChecksH
#define DriverChecksH

#include <cstdio>
#include <string>
#include <vector>

namespace {

int failures = 0;

inline void Check(bool ok, const std::string& what)
{
    if (!ok) {
        std::printf("FAILED: %s\n", what.c_str());
        ++failures;
    }
}

// The events since the journal was last emptied that start with a prefix
// (every one without), the journal emptied.
inline std::vector<std::string> Taken(const std::string& prefix = std::string())
{
    std::vector<std::string> out;
    for (const std::string& e : Journal().Events)
        if (e.rfind(prefix, 0) == 0)
            out.push_back(e);
    Journal().Events.clear();
    return out;
}

inline void CheckEvents(const std::vector<std::string>& got, const std::vector<std::string>& want,
                        const std::string& what)
{
    if (got == want)
        return;
    std::printf("FAILED: %s\n  got:\n", what.c_str());
    for (const std::string& e : got)
        std::printf("    %s\n", e.c_str());
    std::printf("  want:\n");
    for (const std::string& e : want)
        std::printf("    %s\n", e.c_str());
    ++failures;
}

}  // namespace

#endif
