// A real main window on the test display, with a clean settings key, the history
// log in a fresh TEMP folder and the recording platform installed.
#pragma once

#include "app/Form1.h"
#include "app/Main.h"
#include "app/Settings.h"
#include "support/FakePlatform.h"
#include "support/Fixtures.h"

#include <gtest/gtest.h>

#include <memory>

class FormFixture : public ::testing::Test {
protected:
    FormFixture()
        : settings_(HKEY_CURRENT_USER, Settings::KeyPath),
          runMachine_(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run"),
          runUser_(HKEY_CURRENT_USER, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run"),
          temp_("temp") {
        Fixtures::DeleteKeyTree(HKEY_CURRENT_USER, Settings::KeyPath);
        char previous[MAX_PATH] = {};
        ::GetEnvironmentVariableA("TEMP", previous, MAX_PATH);
        previousTemp_ = previous;
        ::SetEnvironmentVariableA("TEMP", temp_.Path().c_str());
    }

    ~FormFixture() override {
        form_.reset();
        ::SetEnvironmentVariableA("TEMP", previousTemp_.c_str());
    }

    // Creates (or re-creates, as a restart would) the main window.
    Form1& CreateForm(Cleaners cleaners = RealCleaners(), bool show = true) {
        form_.reset();
        form_ = std::make_unique<Form1>(std::move(cleaners));
        form_->Create(show);
        return *form_;
    }

    Form1& Form() { return *form_; }
    std::string LogPath() const { return temp_ / "history.txt"; }

    void Click(ControlId id) { ::SendMessageA(form_->Control(id), BM_CLICK, 0, 0); }

    ScopedFakePlatform platform;

private:
    Fixtures::RegistryKeySnapshot settings_;
    Fixtures::RegistryKeySnapshot runMachine_;
    Fixtures::RegistryKeySnapshot runUser_;
    Fixtures::TempFolder temp_;
    std::string previousTemp_;
    std::unique_ptr<Form1> form_;
};
