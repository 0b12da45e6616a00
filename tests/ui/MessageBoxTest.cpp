#include "ui/MessageBox.h"
#include "tests/common/TestSupport.h"
#include "ui/InputBox.h"

#include <QAbstractButton>
#include <QLabel>
#include <QTest>

// A Yes/No question has no cancelling answer: Escape and the close button leave it up with
// nothing answered, so a stray Escape cannot throw unsaved changes away. The other sets close
// on Escape with their cancelling answer.
TEST(MessageBox, EscapeAndCloseAnswerOnlyWhereTheSetCanCancel)
{
    DialogRequest request;
    for (const auto& [buttons, answer] : {std::pair{MsgButtons::YesNo, MsgResult::Yes},
                                          {MsgButtons::OK, MsgResult::OK},
                                          {MsgButtons::OKCancel, MsgResult::Cancel}}) {
        request.buttons = buttons;
        MessageBox box(request, nullptr);
        box.show();
        QTest::keyClick(&box, Qt::Key_Escape);
        const bool stays = buttons == MsgButtons::YesNo;
        EXPECT_EQ(box.isVisible(), stays) << static_cast<int>(buttons);
        if (stays) {
            EXPECT_FALSE(box.close() || box.isHidden() || box.clickedButton());
            QTest::mouseClick(box.button(QMessageBox::Yes), Qt::LeftButton);
        }
        EXPECT_EQ(box.Answer(), answer) << static_cast<int>(buttons);
    }
}

// A short message still leaves room for the caption, and a long prompt wraps in an input box
// no wider than the main window.
TEST(MessageBox, BoxesAreSizedForTheirCaptionAndPrompt)
{
    DialogRequest request;
    request.caption = QStringLiteral("Pendrift");
    request.text = QStringLiteral("Done!");
    MessageBox done(request, nullptr);
    done.show();
    EXPECT_GT(done.width(), done.fontMetrics().horizontalAdvance(request.caption) + 100);

    request.text = QString(300, u'x').replace(u'x', QStringLiteral("word "));
    InputBox input(request, nullptr);
    input.show();
    EXPECT_LE(input.width(), 400);
    EXPECT_GT(input.findChild<QLabel*>()->height(), 3 * input.fontMetrics().height());
}
