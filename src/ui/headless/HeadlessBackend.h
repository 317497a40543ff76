#pragma once
// The backend for tests: no windows, only the model. A modal form runs `onModal`, which
// plays the user (reads the form, sets a result or closes it).
#include <functional>
#include <vector>

#include "ui/Form.h"

namespace ui {

class HeadlessBackend final : public IWindowBackend {
public:
    std::function<void(Form&)> onModal;
    std::vector<Form*> realized;
    std::vector<Form*> destroyed;

    void Realize(Form& form) override { realized.push_back(&form); }
    void Destroy(Form& form) override { destroyed.push_back(&form); }
    void RunModal(Form& form) override {
        form.Show();
        if (onModal) onModal(form);
        if (form.Visible() && form.ModalResult() == 0) form.Close();
    }
};

} // namespace ui
