#include "ui/ports/portsdialog.h"

#include "link/portmapwriter.h"
#include "link/tlscredentials.h"
#include "ui/common/accessibility.h"
#include "ui/common/uiservices.h"
#include "ui/ports/comportlisttips.h"
#include "ui/ports/porttexts.h"

#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace ui {

namespace {

enum Column { PortColumn, DeviceColumn, PresentColumn, AdapterColumn, MakerColumn, IdsColumn, SerialColumn, SignColumn, ColumnCount };

QPushButton *makeButton(QWidget *parent, const char *name, const QString &caption)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    // Enter in the address box sets the address; no button of the dialog takes Enter for itself.
    button->setAutoDefault(false);
    return button;
}

QString deviceCell(const signlink::ComPortInfo &port)
{
    switch (port.kind) {
    case signlink::PortEntry::Kind::Network:
        return port.networkAddress ? port.networkAddress->text() : QString();
    case signlink::PortEntry::Kind::Invalid:
        return PortsDialog::tr("unusable entry");
    case signlink::PortEntry::Kind::Device:
        break;
    }
    return port.devicePath;
}

QString presentCell(const signlink::ComPortInfo &port)
{
    switch (port.kind) {
    case signlink::PortEntry::Kind::Network:
        if (port.networkAddress && port.networkAddress->tls)
            return PortsDialog::tr("network, TLS");
        if (port.networkAddress && !signlink::plainTextNote(*port.networkAddress).isEmpty())
            return PortsDialog::tr("network, not encrypted");
        return PortsDialog::tr("network");
    case signlink::PortEntry::Kind::Invalid:
        return PortsDialog::tr("no");
    case signlink::PortEntry::Kind::Device:
        break;
    }
    return port.present ? PortsDialog::tr("yes") : PortsDialog::tr("no");
}

// Where the COM number's device comes from, for the row's tool tip.
QString entryNote(const signlink::PortMap &map, const signlink::ComPortInfo &port)
{
    if (!port.mapped)
        return PortsDialog::tr("From the default table (no entry in %1).").arg(map.mapFolder());
    return PortsDialog::tr("Set by the port map entry %1.").arg(map.entryPath(port.comNumber));
}

} // namespace

PortsDialog::PortsDialog(PortsContext context, QWidget *parent)
    : QDialog(parent), m_context(std::move(context)), m_finder(m_context.ports)
{
    setObjectName(QStringLiteral("PortsDialog"));
    setWindowTitle(tr("Ports"));
    buildControls();

    m_poll.setInterval(RefreshMs);
    connect(&m_poll, &QTimer::timeout, this, &PortsDialog::refresh);
    connect(&m_finder, &session::SignFinder::probing, this,
            [this](int comNumber) { m_findStatus->setText(tr("Asking COM %1...").arg(comNumber)); });
    connect(&m_finder, &session::SignFinder::probed, this, &PortsDialog::onProbed);
    connect(&m_finder, &session::SignFinder::finished, this, &PortsDialog::onFindFinished);

    refresh();
    selectComNumber(m_context.comNumber);
}

PortsDialog::~PortsDialog() = default;

void PortsDialog::buildControls()
{
    m_table = new QTableWidget(signlink::PortMap::LastPort, ColumnCount, this);
    m_table->setObjectName(QStringLiteral("PortTable"));
    nameControl(m_table, tr("Ports"));
    m_table->setHorizontalHeaderLabels({tr("Port"), tr("Device"), tr("Present"), tr("Adapter"), tr("Maker"),
                                        tr("Vendor:Product"), tr("Serial No"), tr("Sign")});
    m_table->verticalHeader()->hide();
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setStretchLastSection(true);
    for (int row = 0; row < m_table->rowCount(); ++row)
        for (int column = 0; column < ColumnCount; ++column)
            m_table->setItem(row, column, new QTableWidgetItem);
    connect(m_table, &QTableWidget::itemSelectionChanged, this, &PortsDialog::showSelection);
    connect(m_table, &QTableWidget::cellDoubleClicked, this, [this] { m_use->click(); });

    m_heading = new QLabel(this);
    m_heading->setObjectName(QStringLiteral("SelectedPort"));
    m_heading->setWordWrap(true);
    describeValueLabel(m_heading, tr("Selected port"));

    auto *adapterCaption = new QLabel(tr("&Adapter:"), this);
    m_adapterList = new QComboBox(this);
    m_adapterList->setObjectName(QStringLiteral("AdapterList"));
    m_adapterList->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_adapterList->setMinimumContentsLength(30);
    nameCombo(m_adapterList, tr("Adapter"));
    adapterCaption->setBuddy(m_adapterList);
    m_assign = makeButton(this, "AssignAdapter", tr("Assign Adapter"));

    auto *addressCaption = new QLabel(tr("&Network address:"), this);
    m_address = new QLineEdit(this);
    m_address->setObjectName(QStringLiteral("NetworkAddress"));
    m_address->setPlaceholderText(tr("tcp://HOST:PORT, rfc2217://HOST:PORT, tls://HOST:PORT or rfc2217+tls://HOST:PORT"));
    m_address->setMaxLength(int(signlink::MaxAddressFileSize));
    nameControl(m_address, tr("Network address"));
    addressCaption->setBuddy(m_address);
    m_setAddress = makeButton(this, "SetAddress", tr("Set Address"));
    m_reset = makeButton(this, "ResetEntry", tr("Reset to Default"));
    m_trust = makeButton(this, "TrustCertificate", tr("Trust this certificate"));
    m_trust->setToolTip(tr("Connect to the server, show its certificate's fingerprint, and pin it in the entry once "
                           "you confirm"));

    m_find = makeButton(this, "FindSign", tr("Find Sign"));
    m_findStatus = new QLabel(this);
    m_findStatus->setObjectName(QStringLiteral("FindStatus"));
    m_findStatus->setWordWrap(true);
    describeValueLabel(m_findStatus, tr("Status"));
    m_use = makeButton(this, "UseSign", tr("Use"));
    m_use->setToolTip(tr("Choose this COM number in the main window"));
    m_close = makeButton(this, "CloseButton", tr("Close"));

    connect(m_assign, &QPushButton::clicked, this, &PortsDialog::assignAdapter);
    connect(m_setAddress, &QPushButton::clicked, this, &PortsDialog::setAddress);
    connect(m_address, &QLineEdit::returnPressed, this, &PortsDialog::setAddress);
    connect(m_reset, &QPushButton::clicked, this, &PortsDialog::resetEntry);
    connect(m_trust, &QPushButton::clicked, this, &PortsDialog::trustCertificate);
    connect(m_find, &QPushButton::clicked, this, &PortsDialog::findSign);
    connect(m_use, &QPushButton::clicked, this, [this] {
        emit portChosen(selectedComNumber());
        accept();
    });
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);

    auto *edits = new QGridLayout;
    edits->addWidget(m_heading, 0, 0, 1, 3);
    edits->addWidget(adapterCaption, 1, 0);
    edits->addWidget(m_adapterList, 1, 1);
    edits->addWidget(m_assign, 1, 2);
    edits->addWidget(addressCaption, 2, 0);
    edits->addWidget(m_address, 2, 1);
    edits->addWidget(m_setAddress, 2, 2);
    auto *entryButtons = new QHBoxLayout;
    entryButtons->addStretch(1);
    entryButtons->addWidget(m_trust);
    entryButtons->addWidget(m_reset);
    edits->addLayout(entryButtons, 3, 1, 1, 2);
    edits->setColumnStretch(1, 1);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_find);
    bottom->addStretch(1);
    bottom->addWidget(m_use);
    bottom->addWidget(m_close);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_table, 1);
    layout->addLayout(edits);
    layout->addWidget(m_findStatus);
    layout->addLayout(bottom);
    resize(900, 520);
}

int PortsDialog::selectedComNumber() const
{
    const QList<QTableWidgetSelectionRange> ranges = m_table->selectedRanges();
    return ranges.isEmpty() ? 0 : ranges.first().topRow() + 1;
}

void PortsDialog::selectComNumber(int comNumber)
{
    if (comNumber < signlink::PortMap::FirstPort || comNumber > signlink::PortMap::LastPort)
        comNumber = signlink::PortMap::FirstPort;
    m_table->selectRow(comNumber - 1);
    m_table->setCurrentCell(comNumber - 1, PortColumn);
}

void PortsDialog::showEvent(QShowEvent *event)
{
    refresh();
    m_poll.start();
    QDialog::showEvent(event);
}

void PortsDialog::hideEvent(QHideEvent *event)
{
    m_poll.stop();
    m_finder.cancel();
    QDialog::hideEvent(event);
}

void PortsDialog::refresh()
{
    QList<signlink::SerialAdapter> adapters = signlink::presentAdapters(m_context.adapters);
    QList<signlink::ComPortInfo> ports = signlink::portInventory(m_context.map, adapters);
    // Rebuilt only when something changed, so that a list the operator has open stays put.
    if (adapters != m_adapters) {
        m_adapters = std::move(adapters);
        fillAdapters();
    }
    if (ports != m_ports) {
        m_ports = std::move(ports);
        fillTable();
        // What the operator is typing or has chosen below the table stays as it is.
        const int com = selectedComNumber();
        if (com != 0)
            m_heading->setText(portToolTip(m_ports[com - 1]));
        refreshButtons();
    }
}

void PortsDialog::fillTable()
{
    const QColor grey = palette().color(QPalette::Disabled, QPalette::Text);
    for (const signlink::ComPortInfo &port : std::as_const(m_ports)) {
        const int row = port.comNumber - 1;
        const bool missing = port.kind == signlink::PortEntry::Kind::Invalid
                             || (port.kind == signlink::PortEntry::Kind::Device && !port.present);
        const QString texts[] = {QStringLiteral("COM %1").arg(port.comNumber), deviceCell(port), presentCell(port),
                                 port.description, port.manufacturer, port.vendorProductText(), port.serialNumber};
        const QString tip = portToolTip(port) + u'\n' + entryNote(m_context.map, port);
        for (int column = 0; column < SignColumn; ++column) {
            QTableWidgetItem *item = m_table->item(row, column);
            item->setText(texts[column]);
            item->setToolTip(column == DeviceColumn && !port.byIdPath.isEmpty() ? tip + u'\n' + port.byIdPath : tip);
            item->setData(Qt::ForegroundRole, missing ? QVariant(grey) : QVariant());
        }
    }
}

void PortsDialog::fillAdapters()
{
    const QString chosen = m_adapterList->currentData().toString();
    m_adapterList->clear();
    for (const signlink::SerialAdapter &adapter : std::as_const(m_adapters))
        m_adapterList->addItem(adapterChoiceText(adapter), adapter.device);
    if (m_adapters.isEmpty())
        m_adapterList->setPlaceholderText(tr("No serial adapter is plugged in"));
    const int again = m_adapterList->findData(chosen);
    m_adapterList->setCurrentIndex(again >= 0 ? again : m_adapters.isEmpty() ? -1 : 0);
    // The closed list shows the adapter chosen whole: its serial number is what tells two alike apart.
    m_adapterList->setMinimumWidth(m_adapterList->sizeHint().width());
    refreshButtons();
}

void PortsDialog::showSelection()
{
    const int com = selectedComNumber();
    if (com == 0 || m_ports.size() < com) {
        refreshButtons();
        return;
    }
    const signlink::ComPortInfo &port = m_ports[com - 1];
    m_heading->setText(portToolTip(port));
    m_address->setText(port.networkAddress ? port.networkAddress->text() : QString());
    // The adapter the COM number opens now, when it is one of those present.
    for (int i = 0; i < m_adapters.size(); ++i) {
        if (port.kind == signlink::PortEntry::Kind::Device && port.present
            && QFileInfo(m_adapters[i].device).canonicalFilePath() == port.devicePath)
            m_adapterList->setCurrentIndex(i);
    }
    refreshButtons();
}

void PortsDialog::refreshButtons()
{
    const bool searching = m_finder.isRunning();
    const int com = selectedComNumber();
    const bool chosen = com != 0;
    m_assign->setEnabled(!searching && chosen && m_adapterList->currentIndex() >= 0);
    m_setAddress->setEnabled(!searching && chosen);
    m_address->setEnabled(!searching && chosen);
    m_reset->setEnabled(!searching && chosen && m_ports.size() >= com && m_ports[com - 1].mapped);
    m_trust->setEnabled(!searching && chosen && m_ports.size() >= com && m_ports[com - 1].networkAddress
                        && m_ports[com - 1].networkAddress->tls);
    m_find->setEnabled(!searching);
    m_use->setEnabled(chosen);
}

void PortsDialog::tell(const QString &text)
{
    m_context.services.message(this, tr("Ports"), text, UiServices::Icon::Warning);
}

void PortsDialog::afterWrite(const std::optional<QString> &failure)
{
    if (failure)
        tell(*failure);
    // Even a failed change may have changed something (the folder made); the table shows what is.
    refresh();
    showSelection();
    emit portMapChanged();
}

void PortsDialog::assignAdapter()
{
    const int com = selectedComNumber();
    const int index = m_adapterList->currentIndex();
    if (com == 0 || index < 0 || index >= m_adapters.size())
        return;
    const signlink::SerialAdapter &adapter = m_adapters[index];
    // The by-id name stays the same whichever ttyUSB number the adapter gets next time.
    const QString target = adapter.byIdPath.isEmpty() ? adapter.device : adapter.byIdPath;
    afterWrite(signlink::linkEntry(m_context.map, com, target));
}

void PortsDialog::setAddress()
{
    const int com = selectedComNumber();
    if (com == 0 || !m_setAddress->isEnabled())
        return;
    const QString text = m_address->text().trimmed();
    QString problem;
    const std::optional<signlink::NetworkAddress> address = signlink::parseNetworkAddress(text, &problem);
    if (!address) {
        tell(tr("COM %1: \"%2\" is not a network address (%3). Nothing was changed.").arg(com).arg(text, problem));
        return;
    }
    // Files it names that cannot be used are said now rather than at every opening.
    QSslConfiguration unused;
    if (const std::optional<QString> why = address->tls ? signlink::makeTlsConfiguration(*address->tls, &unused) : std::nullopt) {
        tell(tr("COM %1: %2 cannot be used: %3. Nothing was changed.").arg(com).arg(address->text(), *why));
        return;
    }
    afterWrite(signlink::writeAddressEntry(m_context.map, com, *address));
}

void PortsDialog::trustCertificate()
{
    const int com = selectedComNumber();
    if (com == 0 || m_ports.size() < com || !m_ports[com - 1].networkAddress || !m_ports[com - 1].networkAddress->tls)
        return;
    signlink::NetworkAddress address = *m_ports[com - 1].networkAddress;
    // A connection of its own, closed again at once: the handshake shows the certificate, and
    // nothing reaches the sign.
    const std::unique_ptr<signlink::SignPort> port = m_context.ports();
    port->setCommPort(com);
    const signlink::OpenResult result = port->open();
    if (result.ok())
        port->close();
    // Only a certificate this side refused is for the operator to trust; a server that proved
    // itself and then turned the client away wants a client certificate, which a pin does not give.
    if (result.serverFingerprint.isEmpty() || (!result.ok() && result.error != signlink::OpenError::CertificateRejected)) {
        tell(result.description);
        return;
    }
    const QString fingerprint = signlink::fingerprintText(result.serverFingerprint);
    if (result.ok() && address.tls->fingerprint == result.serverFingerprint) {
        m_context.services.message(this, tr("Trust this certificate"),
                                   tr("COM %1: the certificate of %2 is the one pinned already (%3).")
                                       .arg(com)
                                       .arg(address.text(), fingerprint));
        return;
    }
    const QString found = result.ok() ? tr("COM %1: %2 proved who it is; its certificate has the fingerprint %3.")
                                            .arg(com)
                                            .arg(address.text(), fingerprint)
                                      : result.description;
    const QString question =
        found + QStringLiteral("\n\n")
        + tr("Trust this certificate? Compare its fingerprint with the one on the device's label first:\n%1\n"
             "From then on COM %2 accepts this certificate and no other.")
              .arg(fingerprint)
              .arg(com);
    const int answer = m_context.services.question(
        this, tr("Trust this certificate"), question,
        {{tr("Trust this certificate"), UiServices::Answer::Role::Accept}, {tr("Cancel"), UiServices::Answer::Role::Reject}});
    if (answer != 0)
        return;
    // The pin stands for this certificate alone; a CA file beside it would still have to hold.
    address.tls->fingerprint = result.serverFingerprint;
    address.tls->caFile.clear();
    afterWrite(signlink::writeAddressEntry(m_context.map, com, address));
}

void PortsDialog::resetEntry()
{
    const int com = selectedComNumber();
    if (com == 0)
        return;
    afterWrite(signlink::resetEntry(m_context.map, com));
}

void PortsDialog::findSign()
{
    refresh();
    m_probes.clear();
    for (int row = 0; row < m_table->rowCount(); ++row) {
        m_table->item(row, SignColumn)->setText(QString());
        m_table->item(row, SignColumn)->setToolTip(QString());
    }
    m_finder.start(m_ports);
    refreshButtons();
}

void PortsDialog::onProbed(const session::ProbeResult &result)
{
    m_probes.insert(result.comNumber, result);
    QTableWidgetItem *item = m_table->item(result.comNumber - 1, SignColumn);
    item->setText(result.summary());
    item->setToolTip(result.reason);
}

void PortsDialog::onFindFinished()
{
    QList<int> found;
    for (const session::ProbeResult &result : std::as_const(m_probes))
        if (result.outcome == session::ProbeResult::Outcome::Found && result.sameAs == 0)
            found.append(result.comNumber);
    if (found.isEmpty()) {
        m_findStatus->setText(tr("No sign answered. Check that the sign is switched on and its cable is plugged "
                                 "in, then try again."));
    } else {
        const session::ProbeResult &first = m_probes[found.first()];
        m_findStatus->setText(found.size() == 1
                                  ? tr("Found a sign on COM %1: %2.").arg(first.comNumber).arg(first.summary())
                                  : tr("Found %1 signs; the first is on COM %2: %3.")
                                        .arg(found.size())
                                        .arg(first.comNumber)
                                        .arg(first.summary()));
        selectComNumber(first.comNumber);
        m_use->setFocus();
    }
    refreshButtons();
}

void showPortsDialog(QWidget *parent, QComboBox *comports, PortsContext context)
{
    UiServices &services = context.services;
    PortsDialog dialog(std::move(context), parent);
    QObject::connect(&dialog, &PortsDialog::portChosen, comports,
                     [comports](int comNumber) { comports->setCurrentIndex(comNumber - 1); });
    services.execDialog(dialog);
    if (auto *tips = comports->findChild<ComportListTips *>(QString(), Qt::FindDirectChildrenOnly))
        tips->refresh();
}

} // namespace ui
