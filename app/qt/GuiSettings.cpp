#include "app/qt/GuiSettings.h"

#include "app/ORXConfigurationDlg.h"
#include "platform/ui/FileDialog.h"

#include <cstdio>

namespace {

constexpr const char* HOST_KEY = "device/host";
// A port kept by earlier runs; removed, since a port given once is for that run only.
constexpr const char* PORT_KEY = "device/port";
constexpr const char* FOLDER_KEY = "files/folder";

QString Key(const char* key) {
    return QString::fromLatin1(key);
}

void Store(QSettings& settings, const CORXConfigurationDlg& dlg) {
    const QString folder = QString::fromStdString(AfxGetFileFolder().str());
    settings.setValue(Key(HOST_KEY), QString::fromStdString(dlg.DeviceToConnect().host));
    settings.remove(Key(PORT_KEY));
    if (!folder.isEmpty())
        settings.setValue(Key(FOLDER_KEY), folder);
    settings.sync();
    if (settings.status() != QSettings::NoError)
        std::fprintf(stderr, "orx-config: cannot save the settings in %s\n",
                     settings.fileName().toLocal8Bit().constData());
}

} // namespace

void LoadGuiSettings(const QSettings& settings, GuiOptions& options) {
    const std::string host = settings.value(Key(HOST_KEY)).toString().toStdString();
    DWORD address = 0;
    if (options.host.empty() && ParseDottedAddress(host.c_str(), address))
        options.host = host;
    AfxSetFileFolder(settings.value(Key(FOLDER_KEY)).toString().toStdString());
}

void KeepGuiSettings(QSettings& settings, orxqt::QtFrontEnd& frontEnd) {
    frontEnd.AddViewDestroyHook([&settings](orxqt::QtDialogView& view) {
        if (view.Dialog().GetTemplateID() == IDD_TRANSFER_DIALOG)
            Store(settings, static_cast<const CORXConfigurationDlg&>(view.Dialog()));
    });
}
