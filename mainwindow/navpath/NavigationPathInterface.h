#pragma once
// The navigation path as other rooms reach it.
namespace kiv {

class INavigationPath {
public:
    // The panels reloaded so that level of the current trail shows (fromPath: chosen on
    // the path, where a level already on show only takes the focus).
    virtual void NavigateToLevel(int level, bool fromPath) = 0;

protected:
    ~INavigationPath() = default;
};

}  // namespace kiv
