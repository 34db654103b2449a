#include "gui/frmVersion.h"

#include "gui/LibraryVersions.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

namespace {
// The application's font may be sized in pixels or in points.
QFont scaled(QFont font, double factor, bool bold) {
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * factor);
    else
        font.setPixelSize(std::max(1, static_cast<int>(font.pixelSize() * factor + 0.5)));
    font.setBold(bold);
    return font;
}
}  // namespace

frmVersion::frmVersion(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("バージョン情報"));
    setModal(true);
    picIcon = new QLabel(this);
    picIcon->setPixmap(QIcon(QStringLiteral(":/icons/zapt.png")).pixmap(32, 32));
    picIcon->setAccessibleName(QStringLiteral("ZAPT のアイコン"));
    auto label = [this](const QString& text) {
        auto* l = new QLabel(text, this);
        l->setAccessibleName(text);
        return l;
    };
    lblTitle = label(QStringLiteral("ZAPT"));
    lblTitle->setFont(scaled(lblTitle->font(), 1.6, true));
    lblVersionTitle = label(QStringLiteral("Ver"));
    lblVersion = label(QStringLiteral("0.00"));
    lblVersion->setAccessibleName(QStringLiteral("バージョン"));
    lblSince = label(QStringLiteral("Since 2026"));
    lblLibraries = label(LibraryVersions::Line());
    lblLibraries->setAccessibleName(QStringLiteral("ライブラリのバージョン"));
    lblLibraries->setAccessibleDescription(lblLibraries->text());
    lblLibraries->setTextInteractionFlags(Qt::TextSelectableByMouse);  // to paste into reports
    lblLibraries->setFont(scaled(lblLibraries->font(), 0.85, false));
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setAccessibleName(QStringLiteral("OK"));
    cmdOK->setDefault(true);

    auto* version = new QHBoxLayout;
    version->addWidget(lblVersionTitle);
    version->addWidget(lblVersion);
    version->addStretch();
    auto* grid = new QGridLayout(this);
    grid->addWidget(picIcon, 0, 0, 3, 1, Qt::AlignTop);
    grid->addWidget(lblTitle, 0, 1);
    grid->addLayout(version, 1, 1);
    grid->addWidget(lblSince, 2, 1);
    grid->addWidget(lblLibraries, 3, 0, 1, 2);
    grid->addWidget(cmdOK, 4, 0, 1, 2, Qt::AlignRight);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    connect(cmdOK, &QPushButton::clicked, this, [this] {
        setAttribute(Qt::WA_DeleteOnClose);  // OK unloads the window
        close();
    });
}

QString frmVersion::BuildVersion() {
    return QStringLiteral(ZAPT_VERSION);
}

void frmVersion::showEvent(QShowEvent* event) {
    lblVersion->setText(version);
    QDialog::showEvent(event);
}

void frmVersion::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        hide();  // kept for the next request; hiding ends the modal wait
        return;
    }
    event->ignore();
}
