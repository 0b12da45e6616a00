#include "ui/MessageBox.h"
#include "tests/common/TestSupport.h"

#include <QAbstractButton>
#include <QTest>

// A Yes/No question has no cancelling answer: Escape and the close button leave it up with
// nothing answered, so a stray Escape cannot throw unsaved changes away. The other sets close
// on Escape with their cancelling answer.
TEST(MessageBox, EscapeAndCloseAnswerOnlyWhereTheSetCanCancel)
{
    DialogRequest request;
    request.buttons = MsgButtons::YesNo;
    MessageBox question(request, nullptr);
    question.show();
    QTest::keyClick(&question, Qt::Key_Escape);
    EXPECT_FALSE(question.close());
    EXPECT_TRUE(question.isVisible());
    EXPECT_EQ(question.clickedButton(), nullptr);
    QTest::mouseClick(question.button(QMessageBox::Yes), Qt::LeftButton);
    EXPECT_EQ(question.Answer(), MsgResult::Yes);

    for (const auto& [buttons, answer] : {std::pair{MsgButtons::OK, MsgResult::OK},
                                          {MsgButtons::OKCancel, MsgResult::Cancel},
                                          {MsgButtons::YesNoCancel, MsgResult::Cancel}}) {
        request.buttons = buttons;
        MessageBox box(request, nullptr);
        box.show();
        QTest::keyClick(&box, Qt::Key_Escape);
        EXPECT_FALSE(box.isVisible()) << static_cast<int>(buttons);
        EXPECT_EQ(box.Answer(), answer) << static_cast<int>(buttons);
    }
}
