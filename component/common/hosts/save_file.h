#pragma once
// "HxPub.SaveFileDialog": asks the user where to write a new file.
#include <string>

#include "platform/object_factory.h"

namespace sovrel {

class IForm;

class ISaveFileDialog : public platform::Object {
public:
    // The path the user chose, starting from suggestedName, under title, offering files of filter
    // ("vCard files (*.vcf)"); texts in the user's language. Empty when the user cancelled. owner
    // (may be null) is the window the dialog belongs to.
    virtual std::string AskSavePath(IForm* owner, const std::string& title, const std::string& filter,
                                    const std::string& suggestedName) = 0;
};

}  // namespace sovrel
