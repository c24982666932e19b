// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/frmAbout.h"

#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/Logos.h"
#include "core/version.h"
#include "platform/Screen.h"

frmAbout::frmAbout(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About"));

    Image1 = logos::picture(this, "Image1", logos::Kind::Station, 80);
    Image2 = logos::picture(this, "Image2", logos::Kind::Grid, 80);

    lblTitle = new QLabel(QStringLiteral("Quorvel "), this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    lblTitle->setFont(QFont(QStringLiteral("Arial"), 26, QFont::Bold));
    QPalette blue = lblTitle->palette();
    blue.setColor(QPalette::WindowText, QColor(0x1f, 0x4e, 0x9a));
    lblTitle->setPalette(blue);
    lblTitle->setAlignment(Qt::AlignCenter);

    auto* purpose = new QLabel(
        QStringLiteral("Download and Format Data from 3300/3600(DR) Total Stations"), this);
    purpose->setObjectName(QStringLiteral("lblPurpose"));
    purpose->setAlignment(Qt::AlignCenter);

    lblVersion = new QLabel(QStringLiteral("Version " QUORVEL_VERSION), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblVersion->setAlignment(Qt::AlignCenter);

    lblLicence = new QLabel(
        QStringLiteral("Free software under the %1").arg(QString::fromUtf8(quorvel::kLicence)),
        this);
    lblLicence->setObjectName(QStringLiteral("lblLicence"));
    lblLicence->setAlignment(Qt::AlignCenter);

    lblContact = new QLabel(QStringLiteral("The Quorvel project\n"
                                           "Support: support@quorvel.example.org\n"
                                           "Web: https://www.quorvel.example.org"),
                            this);
    lblContact->setObjectName(QStringLiteral("lblContact"));
    lblContact->setAlignment(Qt::AlignCenter);
    lblContact->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* rule = new QFrame(this);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);

    Command1 = new QPushButton(QStringLiteral("O.K."), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setDefault(true);
    Command1->setMinimumWidth(90);
    connect(Command1, &QPushButton::clicked, this, &frmAbout::Command1_Click);

    auto* texts = new QVBoxLayout;
    texts->addWidget(lblTitle);
    texts->addWidget(purpose);
    texts->addSpacing(6);
    texts->addWidget(lblVersion);
    texts->addWidget(lblLicence);
    texts->addSpacing(6);
    texts->addWidget(lblContact);
    auto* top = new QHBoxLayout;
    top->addWidget(Image1, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addLayout(texts, 1);
    top->addSpacing(12);
    top->addWidget(Image2, 0, Qt::AlignTop);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Command1);
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(18, 18, 18, 12);
    page->addLayout(top);
    page->addSpacing(8);
    page->addWidget(rule);
    page->addLayout(buttons);
    setFixedSize(sizeHint());
}

void frmAbout::Command1_Click() {
    hide();
}

void frmAbout::closeEvent(QCloseEvent* event) {
    // The close control leaves the way O.K. does: hidden, kept for the next About.
    Command1_Click();
    event->accept();
}

void frmAbout::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        Command1_Click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void frmAbout::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    platform::fitOnScreen(this);
}
