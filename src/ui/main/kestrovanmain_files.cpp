// .led files: File > Save and File > Open, and the default message the other windows hand back.
#include "ui/main/kestrovanmain.h"

#include "config/attribute.h"
#include "config/filewrite.h"
#include "config/ledfile.h"
#include "ui/common/uiservices.h"
#include "ui/common/signdialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>

#include <type_traits>

namespace ui {

namespace {

const QString LedFilter = QStringLiteral("Text (*.led)");

} // namespace

void KestrovanMain::setFileFactories(SaveFileFactory saving, ReadFileFactory reading)
{
    m_saveFiles = std::move(saving);
    m_readFiles = std::move(reading);
}

bool KestrovanMain::SaveTextToFile(const QString &FileFullPath, const QString &sText, bool Overwrite)
{
    const config::SaveBytes bytes = config::saveTextBytes(sText);
    if (!bytes.bytes)
        return false;
    if (Overwrite) {
        // The old file is replaced only by a complete new one: a failed write leaves it whole,
        // and no new file is left behind.
        const std::unique_ptr<QSaveFile> file =
            m_saveFiles ? m_saveFiles(FileFullPath) : std::make_unique<QSaveFile>(FileFullPath);
        return !config::replaceWhole(*file, *bytes.bytes);
    }
    QFile file(FileFullPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const bool written = !config::writeAndSync(file, *bytes.bytes);
    file.close();
    return written && file.error() == QFileDevice::NoError;
}

void KestrovanMain::signSaveAs_Click()
{
    QString name = m_services.saveFileName(this, LedFilter);
    if (name.isEmpty())
        return;
    if (QFileInfo(name).suffix().isEmpty())
        name += QStringLiteral(".led");

    const config::LedFileRecord record = currentRecord();

    // What would not read back as it was is refused before the old file is touched.
    if (const std::optional<QString> why = config::whyUnstorable(record)) {
        m_services.message(this, QString(), QStringLiteral("Error Saving File\r\n") + *why, UiServices::Icon::Critical);
        return;
    }
    if (!SaveTextToFile(name, config::ledFileText(record), true))
        m_services.message(this, QString(), QStringLiteral("Error Saving File"), UiServices::Icon::Critical);
}

config::LedFileRecord KestrovanMain::currentRecord() const
{
    return config::ledFileRecord(LEDSignModel->text(), static_cast<qint16>(ComportsList->currentIndex()),
                                 currentValues(), m_config);
}

void KestrovanMain::signOpenFile_Click()
{
    openLedFile(QString());
}

void KestrovanMain::openLedFile(const QString &directory)
{
    const QString name = m_services.openFileName(this, LedFilter, directory);
    if (!name.isEmpty()) {
        readConfigFile(name);
        m_config.configFileName = name;
    }
    m_services.message(this, QStringLiteral("Suggestion"),
                       QStringLiteral("It is Better to use Force Upload after opening up a file\r\n"
                                      "It will make sure that all the settings are written to the Sign"));
}

config::LedReadResult KestrovanMain::readLedActions(const QString &fileName)
{
    QByteArray bytes;
    std::optional<config::LedFileError> error;
    bool readWhole = false;
    const std::unique_ptr<QFile> file = m_readFiles ? m_readFiles(fileName) : std::make_unique<QFile>(fileName);
    if (!QFileInfo::exists(fileName)) {
        error = config::fileNotFoundError(fileName);
    } else if (!file->open(QIODevice::ReadOnly)) {
        error = config::fileNotAccessibleError(fileName, file->errorString());
    } else {
        char chunk[4096];
        qint64 n = 0;
        while ((n = file->read(chunk, sizeof chunk)) > 0)
            bytes.append(chunk, n);
        readWhole = n == 0;
        file->close();
        if (!readWhole) {
            // The lines read whole before the failure still count, as for a line that fails.
            bytes.truncate(bytes.lastIndexOf('\n') + 1);
        }
    }

    config::LedReadResult result;
    if (!error) {
        const PriorityRowControls first = priorityRows()[0];
        config::LedListSizes sizes;
        for (const config::Attribute attribute : config::AllAttributes)
            config::attributeOf(sizes, attribute) = config::attributeOf(first, attribute)->count();
        sizes.comPorts = ComportsList->count();
        sizes.linkPriorities = Pri0[0]->count();
        result = config::readLedFile(config::ledFileLines(bytes), sizes);
        if (!result.error && !readWhole)
            result.error = config::readPastEndError(fileName);
    } else {
        result.error = error;
    }
    return result;
}

bool KestrovanMain::readConfigFile(const QString &fileName)
{
    const config::LedReadResult result = readLedActions(fileName);

    // What the lines before a failure say stays applied; the file changes no baseline or flag.
    const auto rows = priorityRows();
    for (const config::LedFileAction &action : result.actions) {
        std::visit(
            [&](const auto &a) {
                using A = std::decay_t<decltype(a)>;
                if constexpr (std::is_same_v<A, config::led::SetModel>) {
                    LEDSignModel->setText(a.caption);
                } else if constexpr (std::is_same_v<A, config::led::SetComPort>) {
                    selectListPosition(ComportsList, a.position);
                } else if constexpr (std::is_same_v<A, config::led::SetPriority>) {
                    const PriorityRowControls &row = rows[a.row];
                    for (const config::Attribute attribute : config::AllAttributes)
                        selectListPosition(config::attributeOf(row, attribute),
                                           config::attributeOf(a.values, attribute));
                    row.timeout->setText(a.values.timeout);
                } else if constexpr (std::is_same_v<A, config::led::SetLink>) {
                    Capcode0[a.id]->setText(a.capcode);
                    if (a.priority)
                        selectListPosition(Pri0[a.id], *a.priority);
                } else if constexpr (std::is_same_v<A, config::led::ClearLink>) {
                    Capcode0[a.id]->clear();
                    Pri0[a.id]->setCurrentIndex(-1);
                } else if constexpr (std::is_same_v<A, config::led::SetDefMsg>) {
                    m_config.DefMsg = a.text;
                    // A message kept from the default-message window is replaced by the file's.
                    setDefaultMsgUnsent(false);
                } else if constexpr (std::is_same_v<A, config::led::SetDefValue>) {
                    using F = config::led::SetDefValue::Field;
                    qint16 *targets[] = {&m_config.DefFont, &m_config.DefColor, &m_config.DefStyle,
                                         &m_config.DefAlign, &m_config.DefSpeed, &m_config.DefPause};
                    static_assert(int(F::Pause) == 5);
                    *targets[int(a.field)] = a.value;
                } else if constexpr (std::is_same_v<A, config::led::SetAutoId>) {
                    AutoID->setChecked(a.value == 1);
                }
            },
            action);
    }

    if (result.error) {
        m_services.message(this, QString(), result.error->message(), UiServices::Icon::Critical);
        return false;
    }
    // A picture or a letter opened by mistake reads without error; say that it changed nothing,
    // or the advice to Force Upload would read as if a configuration had come.
    if (result.actions.isEmpty())
        showStatus(tr("%1 holds no configuration; nothing was changed.").arg(QFileInfo(fileName).fileName()));
    SetupDefaultMsg->setToolTip(config::defaultMsgToolTip(m_config));
    return true;
}

void KestrovanMain::SaveDefaultMsg(const QString &DefMsg, qint16 DefFont, qint16 DefColor, qint16 DefStyle,
                                   qint16 DefAlign, qint16 DefSpeed, qint16 DefPause)
{
    m_config.DefMsg = DefMsg;
    m_config.DefFont = DefFont;
    m_config.DefColor = DefColor;
    m_config.DefStyle = DefStyle;
    m_config.DefAlign = DefAlign;
    m_config.DefSpeed = DefSpeed;
    m_config.DefPause = DefPause;
}

QString KestrovanMain::getDefaultMsg() const
{
    return config::defaultMsgText(m_config);
}

} // namespace ui
