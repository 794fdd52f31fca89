#pragma once
// Lets the reading model's status line ask the registration controller
// whether registration runs and at which interval.

#include "recording/widgets/RegistrationFeature.h"
#include "ui/ReadingModel.h"

namespace mr420 {

class RegistrationStatusLink : public RegistrationStatusSource {
public:
    explicit RegistrationStatusLink(const RegistrationFeature& controller) : controller_(controller) {}
    bool registrationActive() const override { return controller_.registrationActive(); }
    int registrationIntervalSeconds() const override { return controller_.registrationIntervalSeconds(); }
    bool registrationWriteFailed() const override { return controller_.writeFailed(); }

private:
    const RegistrationFeature& controller_;
};

}  // namespace mr420
