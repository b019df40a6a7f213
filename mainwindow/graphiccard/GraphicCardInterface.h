#pragma once
// What the graphic card offers the other features: where material may be dropped on it, the
// images it takes, and the store the close asks about.
#include <QString>
#include <QStringList>
#include <vector>

class QWidget;

namespace kiv {

class IGraphicCard {
public:
    virtual ~IGraphicCard() = default;
    // The controls a drop from another program may land on, and whether a control is one.
    virtual std::vector<QWidget*> DropTargets() const = 0;
    virtual bool IsDropTarget(const QWidget* target) const = 0;
    // Files with an image extension are added (none while the topic is locked); the count added.
    virtual int AddImageFiles(const QStringList& files) = 0;
    // While on, a failed store is only recorded, for UnstoredCard (the close).
    virtual void SetQuietStoreFailures(bool on) = 0;
    // What could not be stored, for a question to the user; empty when nothing is pending.
    virtual QString UnstoredCard() const = 0;
    // A shown graphic card closes (the pin card takes its place).
    virtual void CloseGraphicCard() = 0;
};

}  // namespace kiv
