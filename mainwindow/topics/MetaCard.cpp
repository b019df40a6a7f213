// The meta-data card: a small sortable grid of tags and values, shown and hidden as a bin.
#include "mainwindow/topics/TopicCommands.h"

namespace kiv {

void TTopicCommands::BuildMetaCard() {}

void TTopicCommands::acShowMetaCardExecute() {}

}  // namespace kiv
