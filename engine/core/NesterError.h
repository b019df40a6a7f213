#pragma once
#include "platform/core/KivError.h"

namespace kiv {

// A damaged datastructure; the message is shown to the user as it stands.
class ENesterError : public EKivError {
public:
    using EKivError::EKivError;
};

}  // namespace kiv
