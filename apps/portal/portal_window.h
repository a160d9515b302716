#pragma once
// The portal's own small window: who is logged in, the button that starts the vendor-contact
// function, and the vendors, each of which opens its own contacts.
#include <QWidget>

#include <memory>
#include <string>

class QTableWidget;

namespace host {
class LoginSession;
}
namespace sovrel {
class IContact;
}

namespace portal {

class PortalWindow final : public QWidget {
public:
    PortalWindow(std::shared_ptr<host::LoginSession> login, std::shared_ptr<sovrel::IContact> entry,
                 const std::string& language);

private:
    void FillVendors();
    void OpenVendor(int row);

    std::shared_ptr<host::LoginSession> login_;
    std::shared_ptr<sovrel::IContact> entry_;
    std::string language_;
    QTableWidget* vendors_ = nullptr;
};

}  // namespace portal
