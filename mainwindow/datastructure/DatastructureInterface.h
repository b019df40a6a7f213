#pragma once
// What the datastructure's life does for the other rooms: another datastructure opened by
// its file, and the current topic recorded in the marks.
#include <string>

namespace kiv {

class IDatastructure {
public:
    virtual ~IDatastructure() = default;

    virtual void OpenDatastructureFile(const std::string& path) = 0;
    // The current trail's topic becomes the current mark's position.
    virtual void AddCurrentTopicToMarks() = 0;
};

}  // namespace kiv
