#pragma once
#include <string>
#include <vector>

namespace jobs {

// One job: a source file, its destination, and the clip information written into the destination.
struct tListType {
    std::string SourceFile;
    std::string DestFile;
    std::string Title;
    std::string Author;
    std::string Copyright;
    std::string Keywords;
    std::string Description;

    bool operator==(const tListType&) const = default;
};

// The jobs in list order; element i is row i of the main window's list.
using TJobList = std::vector<tListType>;

}  // namespace jobs
