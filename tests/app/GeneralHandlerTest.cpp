// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/VantorelApplication.h"
#include "platform/AppError.h"
#include "support/RecordingMessageService.h"

#include <QApplication>
#include <QDialog>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

// A window whose event handler runs whatever the test gives it. A custom event stands for any
// handler: a pointer event would leave Qt's own bookkeeping of that event behind when unwound.
template <typename Base>
class Throwing : public Base {
public:
    using Base::Base;
    std::function<void()> onAction;
    int actions = 0;

protected:
    void customEvent(QEvent*) override {
        ++actions;
        if (onAction)
            onAction();
    }
};

bool actGuarded(QObject* receiver) {
    QEvent action(QEvent::User);
    return VantorelApplication::deliverGuarded(receiver, &action);
}

} // namespace

TEST(GeneralHandler, ShowsTheTextOfEveryKindOfErrorAndGoesOn) {
    RecordingMessageService messages;
    Throwing<QWidget> widget;
    widget.resize(50, 50);
    widget.show();

    widget.onAction = [] { throw AppError(QStringLiteral("Unable to write Vantorel.Ini")); };
    EXPECT_FALSE(actGuarded(&widget));
    widget.onAction = [] { throw std::runtime_error("conversion failed"); };
    EXPECT_FALSE(actGuarded(&widget));
    widget.onAction = [] { throw 42; };
    EXPECT_FALSE(actGuarded(&widget));

    ASSERT_EQ(messages.records().size(), 3u);
    EXPECT_EQ(messages.records()[0].text, QStringLiteral("Unable to write Vantorel.Ini"));
    EXPECT_EQ(messages.records()[1].text, QStringLiteral("conversion failed"));
    EXPECT_FALSE(messages.records()[2].text.isEmpty());
    for (const auto& record : messages.records()) {
        EXPECT_EQ(record.kind, MessageKind::Error);
        EXPECT_TRUE(record.beep);
    }

    // The window is still there and still answers.
    widget.onAction = nullptr;
    EXPECT_TRUE(actGuarded(&widget));
    EXPECT_TRUE(widget.isVisible());
    EXPECT_EQ(widget.actions, 4);
    EXPECT_EQ(messages.records().size(), 3u);
}

TEST(GeneralHandler, AnErrorInAModalWindowLeavesItOpen) {
    RecordingMessageService messages;
    Throwing<QDialog> dialog;
    dialog.onAction = [] { throw AppError(QStringLiteral("List index out of bounds")); };

    bool openAfterError = false;
    QTimer::singleShot(0, [&] {
        EXPECT_FALSE(actGuarded(&dialog));
        // Let the modal loop run once more after the error before looking.
        QTimer::singleShot(0, [&] {
            openAfterError = dialog.isVisible() && QApplication::activeModalWidget() == &dialog;
            dialog.reject();
        });
    });
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    EXPECT_TRUE(openAfterError);
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("List index out of bounds")});
}

TEST(GeneralHandler, ReportsNothingForNoError) {
    RecordingMessageService messages;
    VantorelApplication::reportException(nullptr);
    EXPECT_TRUE(messages.records().empty());
}
