#include "desktop/foundation/DialogProvider.h"

#include "tests/support/WaitUntil.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QTimer>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

// The file type list names each kind once; its patterns only filter, so a
// long list of them is neither repeated nor cut in the box.
TEST(QtDialogProviderTest, TheFileTypeListNamesKindsWithoutTheirPatterns)
{
    QtDialogProvider provider;
    FileDialogRequest request;
    request.title = u"Add Contact Picture"_s;
    request.nameFilters = {u"Picture Files (*.PNG *.JPG *.png *.jpg)"_s};
    QString shown;
    bool seen = false;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        seen = true;
        if (auto* types = dialog->findChild<QComboBox*>(u"fileTypeCombo"_s))
            shown = types->itemText(0);
        dialog->reject();
    });
    look.start(20);
    // A dialog nobody closes would hang the test: it ends it instead.
    QTimer::singleShot(testTimeout(10000), [] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget()))
            dialog->reject();
    });
    const FileDialogResult result = provider.fileDialog(request);
    EXPECT_TRUE(seen);
    EXPECT_FALSE(result.accepted);
    EXPECT_EQ(shown, u"Picture Files"_s);
}
