#include "common/form.h"

#include <algorithm>

namespace sovrel {

namespace {
// Windows live on the user-interface thread; each thread has its own list.
thread_local std::vector<IForm*> openForms;
}  // namespace

void RegisterOpenForm(IForm* form) {
    if (form && std::find(openForms.begin(), openForms.end(), form) == openForms.end()) openForms.push_back(form);
}

void UnregisterOpenForm(IForm* form) { std::erase(openForms, form); }

std::vector<IForm*> OpenForms() { return openForms; }

}  // namespace sovrel
