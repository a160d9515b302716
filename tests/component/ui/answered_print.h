#pragma once
// The host's real print control for a window test, every dialog it opens (page setup, the save
// dialog of an export) answered by answer.
#include <QDialog>

#include <functional>
#include <memory>

#include "common/prog_ids.h"
#include "host/print_control.h"
#include "platform/object_factory.h"

namespace sovrel::test {

struct AnsweredPrintControl {
    std::function<int(QDialog&)> answer;
    platform::ScopedRegistration control{progid::PrintControl, [this] {
        auto c = std::make_shared<host::print::PrintControl>();
        c->runDialog = [this](QDialog& d) { return answer(d); };
        return c;
    }};
};

}  // namespace sovrel::test
