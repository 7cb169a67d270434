#ifndef RenderedH
#define RenderedH

#include "generator/OutputTree.h"

#include <string>

// What the writers rendered for a file of the folder "T".
inline std::string Rendered(const RenderedFiles& out, const std::string& name)
{
    auto it = out.Files.find(InFolder("T", name));
    return it == out.Files.end() ? "<not rendered>" : it->second;
}

#endif
