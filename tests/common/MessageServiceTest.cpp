// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/RecordingMessageService.h"

#include <gtest/gtest.h>

TEST(MessageService, RecordsMessagesAndScriptedAnswersThenRestoresTheSilentService) {
    {
        RecordingMessageService record;
        record.scriptAnswers({MessageAnswer::Yes});
        ShowErrorMessage("bad");
        ShowInfoMessage("fine");
        EXPECT_EQ(AskYesNo("Really delete?"), MessageAnswer::Yes);
        EXPECT_EQ(AskYesNoCancel("again?"), MessageAnswer::No);
        ASSERT_EQ(record.records().size(), 4u);
        EXPECT_EQ(record.records()[0].kind, MessageKind::Error);
        EXPECT_TRUE(record.records()[0].beep);
        EXPECT_FALSE(record.records()[1].beep);
        EXPECT_TRUE(record.saw("Really delete?"));
    }
    // Without a window service questions are declined, so nothing is deleted unasked.
    EXPECT_EQ(AskYesNo("Really delete?"), MessageAnswer::No);
}
