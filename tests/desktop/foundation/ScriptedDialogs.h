#pragma once

#include "desktop/foundation/DialogProvider.h"

#include <QList>

// The dialogs as a test scripts them: each request is kept, each answer
// taken in order; with no answer left a dialog is cancelled. Installed for
// its lifetime.
class ScriptedDialogs : public DialogProvider {
public:
    ScriptedDialogs() { SetDialogProvider(this); }
    ~ScriptedDialogs() override { SetDialogProvider(nullptr); }

    static FileDialogResult choose(const QString& path, int filterIndex = 1)
    {
        return FileDialogResult{true, path, filterIndex};
    }

    FileDialogResult fileDialog(const FileDialogRequest& request) override
    {
        fileRequests << request;
        return fileAnswers.isEmpty() ? FileDialogResult{} : fileAnswers.takeFirst();
    }
    ColorDialogResult colorDialog(const ColorDialogRequest& request) override
    {
        colorRequests << request;
        if (colorAnswers.isEmpty())
            return ColorDialogResult{false, QColor(), request.customColors};
        return colorAnswers.takeFirst();
    }
    qint16 messageBox(const MessageBoxRequest& request) override
    {
        messageRequests << request;
        return messageAnswers.isEmpty() ? qint16(request.yesNo ? 7 : 1) : messageAnswers.takeFirst();
    }

    QList<FileDialogResult> fileAnswers;
    QList<ColorDialogResult> colorAnswers;
    QList<qint16> messageAnswers;
    QList<FileDialogRequest> fileRequests;
    QList<ColorDialogRequest> colorRequests;
    QList<MessageBoxRequest> messageRequests;
};
