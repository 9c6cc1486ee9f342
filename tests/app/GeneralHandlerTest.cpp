// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/VantorelApplication.h"
#include "platform/AppError.h"
#include "support/RecordingMessageService.h"

#include <QApplication>
#include <QDialog>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <functional>
#include <gtest/gtest.h>

namespace {

// A widget whose mouse handler runs whatever the test gives it.
class ThrowingWidget : public QWidget {
public:
    std::function<void()> onPress;
    int presses = 0;

protected:
    void mousePressEvent(QMouseEvent*) override {
        ++presses;
        if (onPress)
            onPress();
    }
};

bool pressGuarded(QWidget* widget) {
    const QPointF at(2, 2);
    QMouseEvent press(QEvent::MouseButtonPress, at, widget->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    return VantorelApplication::deliverGuarded(widget, &press);
}

} // namespace

TEST(GeneralHandler, ShowsTheTextOfEveryKindOfErrorAndGoesOn) {
    RecordingMessageService messages;
    ThrowingWidget widget;
    widget.resize(50, 50);
    widget.show();

    widget.onPress = [] { throw AppError(QStringLiteral("Unable to write Vantorel.Ini")); };
    EXPECT_FALSE(pressGuarded(&widget));
    widget.onPress = [] { throw std::runtime_error("conversion failed"); };
    EXPECT_FALSE(pressGuarded(&widget));
    widget.onPress = [] { throw 42; };
    EXPECT_FALSE(pressGuarded(&widget));

    ASSERT_EQ(messages.records().size(), 3u);
    EXPECT_EQ(messages.records()[0].text, QStringLiteral("Unable to write Vantorel.Ini"));
    EXPECT_EQ(messages.records()[1].text, QStringLiteral("conversion failed"));
    EXPECT_FALSE(messages.records()[2].text.isEmpty());
    for (const auto& record : messages.records()) {
        EXPECT_EQ(record.kind, MessageKind::Error);
        EXPECT_TRUE(record.beep);
    }

    // The window is still there and still answers.
    widget.onPress = nullptr;
    EXPECT_TRUE(pressGuarded(&widget));
    EXPECT_TRUE(widget.isVisible());
    EXPECT_EQ(widget.presses, 4);
    EXPECT_EQ(messages.records().size(), 3u);
}

TEST(GeneralHandler, AnErrorInAModalWindowLeavesItOpen) {
    RecordingMessageService messages;
    QDialog dialog;
    auto* failing = new QPushButton(QStringLiteral("Fail"), &dialog);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(failing);
    QObject::connect(failing, &QPushButton::clicked, [] { throw AppError(QStringLiteral("List index out of bounds")); });

    bool openAfterError = false;
    QTimer::singleShot(0, [&] {
        const QPointF at(5, 5);
        QMouseEvent press(QEvent::MouseButtonPress, at, failing->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, at, failing->mapToGlobal(at), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        VantorelApplication::deliverGuarded(failing, &press);
        VantorelApplication::deliverGuarded(failing, &release);
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
