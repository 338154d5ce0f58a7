#include "decode_list_dialog.h"

#include "dialog_units.h"
#include "library_functions.h"
#include "name_buffers.h"
#include "prompter.h"
#include "resources.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStringList>

#include <vector>

CDecodeListDialog::CDecodeListDialog(const QString &path, QWidget *parent,
                                     const CLibraryFunctions &library, CPrompter &prompter)
    : CMeridoDialog(parent), m_strPath(path), library_(library), prompter_(prompter) {
    setWindowTitle(QStringLiteral("Display Files To Decode"));
    const CDialogUnits units(*this);
    units.resizeDialog(*this, 218, 118);

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    units.place(*ok, merido::IDOK, 43, 100, 50, 14);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });

    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    units.place(*cancel, merido::IDCANCEL, 124, 100, 50, 14);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    m_listNames = new QListWidget(this);
    units.place(*m_listNames, merido::IDC_NAMELIST, 5, 15, 207, 79);
    m_listNames->setObjectName(QStringLiteral("m_listNames"));
    m_listNames->setSelectionMode(QAbstractItemView::SingleSelection);
    m_listNames->setSortingEnabled(false);
    m_listNames->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    connect(m_listNames, &QListWidget::itemDoubleClicked, this, [this] { OnDblclkNameList(); });

    auto *caption = new QLabel(QStringLiteral("&Double-click to change a file name"), this);
    units.place(*caption, -1, 5, 4, 118, 8);
    caption->setBuddy(m_listNames);
}

void CDecodeListDialog::OnInitDialog() {
    if (const QWidget *owner = parentWidget()) {
        const QPoint centre = owner->mapToGlobal(owner->rect().center());
        move(centre - QPoint(width() / 2, height() / 2));
    }
    const QByteArray path = m_strPath.toLocal8Bit();
    const int count = library_.getNumFilesToDecode(path.constData());
    std::vector<char> name(merido::kDecodeNameBufferSize);
    for (int i = 0; i < count; ++i) {
        std::fill(name.begin(), name.end(), '\0');
        library_.getEncodedFile(name.data(), i);
        name.back() = '\0';
        m_listNames->addItem(QString::fromLocal8Bit(name.data()));
    }
}

void CDecodeListDialog::OnDblclkNameList() {
    const QList<QListWidgetItem *> selected = m_listNames->selectedItems();
    if (selected.isEmpty()) return;
    const int sel = m_listNames->row(selected.first());
    QString name = m_listNames->item(sel)->text();
    if (!prompter_.askSaveFile(this, name)) return;
    m_listNames->insertItem(sel, name);
    delete m_listNames->takeItem(sel + 1);
}

void CDecodeListDialog::OnOK() {
    const int count = m_listNames->count();
    QStringList names;
    for (int i = 0; i < count; ++i) names.append(m_listNames->item(i)->text());
    if (count > 0) {
        const QByteArray path = m_strPath.toLocal8Bit();
        const QByteArray joined = names.join(QLatin1Char(';')).toLocal8Bit();
        library_.decodeFile(path.constData(), joined.constData(), 1);
    }
    accept();
}
