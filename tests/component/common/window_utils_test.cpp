#include "common/window_utils.h"

#include <gtest/gtest.h>

#include "common/controls.h"
#include "common/form.h"

namespace sovrel {
namespace {

class FakeForm : public IForm {
public:
    explicit FakeForm(std::string name) : name_(std::move(name)) { RegisterOpenForm(this); }
    ~FakeForm() override { UnregisterOpenForm(this); }
    std::string Name() const override { return name_; }
    void BringToFront() override { ++broughtToFront; }
    void ShowModal() override {}
    void ShowModeless() override {}
    std::string Caption() const override { return ""; }
    void SetCaption(const std::string&) override {}
    int broughtToFront = 0;

private:
    std::string name_;
};

class FakeEdit : public IEditControl {
public:
    explicit FakeEdit(std::string type = "Edit") : type_(std::move(type)) {}
    std::string TypeName() const override { return type_; }
    std::string BadStrException() const override { return bad; }
    void SetBadStrException(const std::string& c) override { bad = c; }
    std::string bad = "%*";

private:
    std::string type_;
};

class FakeLabel : public IControl {
public:
    std::string TypeName() const override { return "Label"; }
};

TEST(ActivateOpenForm, BringsTheFirstOpenWindowOfExactlyThatNameToTheFront) {
    {
        FakeForm card("frmContactEdit"), list("frmContactList"), second("frmContactList");
        EXPECT_FALSE(ActivateOpenForm("frmcontactlist"));
        EXPECT_FALSE(ActivateOpenForm("frmContactList "));
        EXPECT_EQ(list.broughtToFront + second.broughtToFront + card.broughtToFront, 0);

        EXPECT_TRUE(ActivateOpenForm("frmContactList"));
        EXPECT_EQ(list.broughtToFront, 1);
        EXPECT_EQ(second.broughtToFront, 0);
    }
    EXPECT_FALSE(ActivateOpenForm("frmContactList"));  // closed
}

TEST(AllowAddressChars, OnlyTheHostsEditControlIsChanged) {
    FakeEdit edit;
    EXPECT_TRUE(AllowAddressChars(&edit));
    EXPECT_EQ(edit.bad, "|&\"");

    FakeLabel label;
    EXPECT_FALSE(AllowAddressChars(&label));
    FakeEdit refEdit("RefEdit");
    EXPECT_FALSE(AllowAddressChars(&refEdit));
    EXPECT_EQ(refEdit.bad, "%*");
    EXPECT_FALSE(AllowAddressChars(nullptr));
}

}  // namespace
}  // namespace sovrel
