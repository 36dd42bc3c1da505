#pragma once

#include "service/host/ServiceMainForm.h"

// Holds the main form's place until the real one exists: no channels, no
// line, only loaded or not.
class MainFormStandIn final : public ServiceMainForm {
public:
    using ServiceMainForm::ServiceMainForm;

    void load() override;
    void unload() override;
    bool isLoaded() const override { return m_loaded; }

private:
    bool m_loaded = false;
};
