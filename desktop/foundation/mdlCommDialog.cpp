#include "desktop/foundation/mdlCommDialog.h"

#include "desktop/foundation/DialogProvider.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {

struct CommDialogState {
    OpenFileName openFileName;
    QList<qint32> customColors;
};

CommDialogState& state()
{
    static CommDialogState module;
    return module;
}

const QList<qint32>& seedCustomColors()
{
    static const QList<qint32> seed = [] {
        QList<qint32> colours = {
            ColorRefFromColor(QColor(139, 155, 184)),
            ColorRefFromColor(QColor(188, 213, 254)),
            ColorRefFromColor(QColor(115, 172, 183)),
            ColorRefFromColor(QColor(200, 249, 198)),
            ColorRefFromColor(QColor(189, 194, 253)),
            ColorRefFromColor(QColor(200, 249, 255)),
            ColorRefFromColor(QColor(108, 213, 210)),
            ColorRefFromColor(QColor(236, 164, 236)),
        };
        while (colours.size() < 16)
            colours << ColorRefFromColor(QColor(160, 160, 160));
        return colours;
    }();
    return seed;
}

// The owner's outer rectangle, or the screen's (the owner's screen when there
// is one).
QRect centreArea(QWidget* owner, qint16 centerMode)
{
    QWidget* window = owner ? owner->window() : nullptr;
    if (centerMode == kCenterOnOwner && window)
        return window->frameGeometry();
    QScreen* screen = window ? window->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect();
}

SelectedFiles selectedFrom(const FileDialogResult& result)
{
    SelectedFiles files;
    if (!result.accepted || result.path.isEmpty())
        return files;
    const QFileInfo chosen(result.path);
    files.Count = 1;
    files.Files << chosen.fileName();
    files.Path = QDir::toNativeSeparators(chosen.absolutePath());
    if (!files.Path.endsWith(QDir::separator()))
        files.Path += QDir::separator();
    files.Cancelled = false;
    return files;
}

SelectedFiles showFileDialog(FileDialogRequest::Kind kind, QWidget* owner, qint16 centerMode)
{
    OpenFileName& ofn = state().openFileName;
    FileDialogRequest request;
    request.kind = kind;
    request.owner = owner;
    request.title = ofn.lpstrTitle;
    request.nameFilters = NameFiltersFor(ofn.lpstrFilter);
    request.filterIndex = ofn.nFilterIndex;
    request.startName = ofn.lpstrFile;
    request.confirmOverwrite
        = kind == FileDialogRequest::Save && (ofn.Flags & OpenFileFlags::OFN_OVERWRITEPROMPT);
    request.centreOn = centreArea(owner, centerMode);

    const FileDialogResult result = CurrentDialogProvider().fileDialog(request);
    if (result.accepted) {
        ofn.nFilterIndex = result.filterIndex;
        ofn.lpstrFile = result.path;
    }
    return selectedFrom(result);
}

} // namespace

OpenFileName& g_OpenFileName()
{
    return state().openFileName;
}

const QList<qint32>& g_CustomColors()
{
    return state().customColors;
}

SelectedFiles ShowOpenDialog(QWidget* owner, qint16 centerMode)
{
    g_OpenFileName().Flags = OpenFileFlags::OpenDialog;
    return showFileDialog(FileDialogRequest::Open, owner, centerMode);
}

SelectedFiles ShowSaveDialog(QWidget* owner, const QString& defaultName, qint16 centerMode)
{
    OpenFileName& ofn = g_OpenFileName();
    ofn.lpstrFile = defaultName;
    if (ofn.Flags == 0)
        ofn.Flags = OpenFileFlags::SaveDialogDefault;
    return showFileDialog(FileDialogRequest::Save, owner, centerMode);
}

ColorChoice ShowColorDialog(QWidget* owner, qint16 centerMode)
{
    QList<qint32>& custom = state().customColors;
    if (custom.isEmpty())
        custom = seedCustomColors();

    ColorDialogRequest request;
    request.owner = owner;
    request.initial = Qt::white;
    for (const qint32 colour : custom)
        request.customColors << ColorFromColorRef(colour);
    request.centreOn = centreArea(owner, centerMode);

    const ColorDialogResult result = CurrentDialogProvider().colorDialog(request);
    for (int i = 0; i < custom.size() && i < result.customColors.size(); ++i) {
        if (result.customColors[i].isValid())
            custom[i] = ColorRefFromColor(result.customColors[i]);
    }
    ColorChoice choice;
    if (result.accepted && result.color.isValid()) {
        choice.Color = ColorRefFromColor(result.color);
        choice.Cancelled = false;
    }
    return choice;
}

void ResetCommonDialogs()
{
    state() = CommDialogState();
}

QStringList NameFiltersFor(const QList<FileFilter>& filters)
{
    QStringList names;
    for (const FileFilter& filter : filters) {
        const QString patterns = filter.pattern.split(u';', Qt::SkipEmptyParts).join(u' ').trimmed();
        const QString description = filter.description.trimmed();
        if (patterns.isEmpty() || description.endsWith(u'(' + patterns + u')'))
            names << description;
        else if (description.isEmpty())
            names << patterns;
        else
            names << description + u" (" + patterns + u')';
    }
    return names;
}

QColor ColorFromColorRef(qint32 colorRef)
{
    const quint32 value = quint32(colorRef);
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

qint32 ColorRefFromColor(const QColor& color)
{
    const QColor rgb = color.toRgb();
    return qint32(quint32(rgb.red()) | (quint32(rgb.green()) << 8) | (quint32(rgb.blue()) << 16));
}
