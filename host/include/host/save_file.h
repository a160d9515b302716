#pragma once
// The host's save dialog, "HxPub.SaveFileDialog": where a new file goes. Tests answer it through
// a presenter instead of the dialog.
#include <functional>
#include <string>

#include "common/hosts/save_file.h"

class QWidget;

namespace host {

struct SaveFileRequest {
    std::string title, filter, suggestedName;
    QWidget* owner = nullptr;
};

// Answers the chosen path, or "" when the user cancelled.
using SaveFilePresenter = std::function<std::string(const SaveFileRequest&)>;

// Process-wide; answers the presenter it replaced. An empty presenter restores the dialog.
SaveFilePresenter SetSaveFilePresenter(SaveFilePresenter presenter);

class SaveFileDialog final : public sovrel::ISaveFileDialog {
public:
    std::string AskSavePath(sovrel::IForm* owner, const std::string& title, const std::string& filter,
                            const std::string& suggestedName) override;
};

}  // namespace host
