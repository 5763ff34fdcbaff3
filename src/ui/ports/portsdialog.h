#pragma once

#include "link/portinventory.h"
#include "link/portmap.h"
#include "session/signfinder.h"

#include <QDialog>
#include <QList>
#include <QMap>
#include <QTimer>

#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace ui {

class UiServices;

// What the Ports dialog works on.
struct PortsContext {
    signlink::PortMap map;
    signlink::AdapterSources adapters;
    session::SignFinder::PortFactory ports;  // a connection of its own for each port Find Sign tries
    UiServices &services;
    int comNumber = 1;  // the COM number chosen in the main window, selected at first
};

// Tools > "Ports...": COM 1 to COM 12 with the device each opens and the adapter that is, and
// the port map entries to change them: an adapter present, a network address, or the default
// table again. For a server reached through TLS, "Trust this certificate" shows the fingerprint
// of the certificate it presents and, once the operator confirms, pins it in the entry. "Find Sign" asks every present port for the sign's configuration; "Use" hands the
// COM number chosen back to the main window. While open it looks for adapters plugged in or out
// about once a second.
class PortsDialog final : public QDialog {
    Q_OBJECT
public:
    explicit PortsDialog(PortsContext context, QWidget *parent = nullptr);
    ~PortsDialog() override;

    static constexpr int RefreshMs = 1000;

    // The COM number of the row chosen in the table.
    int selectedComNumber() const;
    void selectComNumber(int comNumber);

    // Reads the port map and the adapters again now.
    void refresh();

    const QList<signlink::ComPortInfo> &ports() const { return m_ports; }
    const QList<signlink::SerialAdapter> &adapters() const { return m_adapters; }

signals:
    // "Use": the main window takes this COM number.
    void portChosen(int comNumber);
    // An entry was written or removed.
    void portMapChanged();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void buildControls();
    void fillTable();
    void fillAdapters();
    void showSelection();
    void assignAdapter();
    void setAddress();
    void resetEntry();
    void trustCertificate();
    void findSign();
    void onProbed(const session::ProbeResult &result);
    void onFindFinished();
    void afterWrite(const std::optional<QString> &failure);
    void refreshButtons();
    void tell(const QString &text);

    PortsContext m_context;
    session::SignFinder m_finder;
    QList<signlink::ComPortInfo> m_ports;
    QList<signlink::SerialAdapter> m_adapters;
    QMap<int, session::ProbeResult> m_probes;  // by COM number, from the last Find Sign
    QTimer m_poll;

    QTableWidget *m_table = nullptr;
    QLabel *m_heading = nullptr;
    QComboBox *m_adapterList = nullptr;
    QPushButton *m_assign = nullptr;
    QLineEdit *m_address = nullptr;
    QPushButton *m_setAddress = nullptr;
    QPushButton *m_reset = nullptr;
    QPushButton *m_trust = nullptr;
    QPushButton *m_find = nullptr;
    QLabel *m_findStatus = nullptr;
    QPushButton *m_use = nullptr;
    QPushButton *m_close = nullptr;
};

// Shows the Ports dialog for the main window's Comport list: "Use" selects that COM number in
// it, and what the dialog changed shows in its tool tips afterwards.
void showPortsDialog(QWidget *parent, QComboBox *comports, PortsContext context);

} // namespace ui
