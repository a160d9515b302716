#pragma once
// Qt's own texts (standard buttons, file and print dialogs, the calendar) in the user's language.
#include <string>

namespace portal {

// Replaces Qt's translations and default locale with those of language ("zh-CN", "en-US"; any
// other keeps Qt's English and the system's locale). False when the language has translations
// but none could be loaded (the Qt translations package is missing).
bool UseQtTranslations(const std::string& language);

}  // namespace portal
