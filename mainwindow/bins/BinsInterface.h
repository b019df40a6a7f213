#pragma once
// What the other rooms of the main window ask of the bins.
#include <string>

namespace kiv {

class IBins {
public:
    virtual ~IBins() = default;
    // A link line (target, the character 1, title) added to the Resource Bin.
    virtual void AddResourceLink(const std::string& line) = 0;
};

}  // namespace kiv
