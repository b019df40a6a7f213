#pragma once
// What other features ask of the navigation path.

namespace kiv {

class INavigationPath {
public:
    // The panels reloaded so that that level of the current trail shows.
    virtual void NavigateToLevel(int level, bool fromPath) = 0;

protected:
    ~INavigationPath() = default;
};

}  // namespace kiv
