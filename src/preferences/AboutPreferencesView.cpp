#include "preferences/AboutPreferencesView.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/Settings.h"
#include "preferences/AppVersion.h"
#include "preferences/PreferencesWidgets.h"
#include "preferences/ProductLinks.h"
#include "preferences/UpdaterManager.h"

using namespace PreferencesStyle;

namespace {

QString checkKey()
{
    return QString(SettingsKey::checkUpdatesAutomatically);
}

QPixmap applicationIcon(int size, qreal ratio)
{
    if (hasSymbol(QStringLiteral("AppIcon")))
        return symbolPixmap(QStringLiteral("AppIcon"), size, QColor(), ratio);
    return QGuiApplication::windowIcon().pixmap(QSize(size, size), ratio);
}

} // namespace

QString AboutPreferencesView::siblingProductIcon(const QString& imageName)
{
    return hasSymbol(imageName) ? imageName : QStringLiteral("tray.full.fill");
}

AboutPreferencesView::AboutPreferencesView(const PreferencesServices& services, QWidget* parent)
    : PreferencesPage(services, parent)
{
    const qreal ratio = 2.0;

    // Header: icon, name, version.
    auto* header = new QHBoxLayout;
    header->setSpacing(12);
    auto* icon = new QLabel;
    icon->setPixmap(applicationIcon(48, ratio));
    icon->setFixedSize(48, 48);
    header->addWidget(icon, 0, Qt::AlignTop);
    auto* names = new QVBoxLayout;
    names->setSpacing(2);
    names->addWidget(titleLabel(qtTrId("Ovelin")));
    m_version = label(versionText(services.bundleInfo), TextStyle::Subheadline, true);
    m_version->setTextInteractionFlags(Qt::TextSelectableByMouse);
    names->addWidget(m_version);
    header->addLayout(names, 1);
    column()->addLayout(header);

    QLabel* description = label(qtTrId("about_description"));
    description->setWordWrap(true);
    column()->addWidget(description);

    // Updates.
    // Stacked, so that longer translations never push the checkbox out of the page.
    auto* updates = new QVBoxLayout;
    updates->setSpacing(8);
    m_checkUpdates = new QPushButton(qtTrId("check_updates_button"));
    m_checkUpdates->setObjectName(QStringLiteral("checkUpdatesButton"));
    m_checkUpdates->setAutoDefault(false);
    m_checkUpdates->setCursor(Qt::PointingHandCursor);
    m_checkUpdates->setFont(medium(m_checkUpdates->font()));
    // The plain button on the accent colour at 90 % opacity, corner radius 8.
    const QColor accent = palette().color(QPalette::Highlight);
    m_checkUpdates->setStyleSheet(
        QStringLiteral(
            "QPushButton#checkUpdatesButton { background: rgba(%1, %2, %3, 0.9); "
            "color: palette(highlighted-text); border: none; border-radius: 8px; padding: 6px 14px; }"
            "QPushButton#checkUpdatesButton:pressed { background: palette(dark); }")
            .arg(accent.red())
            .arg(accent.green())
            .arg(accent.blue()));
    connect(m_checkUpdates, &QPushButton::clicked, this, [] { UpdaterManager::shared().checkForUpdates(); });
    updates->addWidget(m_checkUpdates, 0, Qt::AlignLeft);
    m_checkAutomatically = new QCheckBox(qtTrId("check_updates_automatically"));
    m_checkAutomatically->setChecked(Settings::shared().boolValue(checkKey()));
    connect(m_checkAutomatically, &QCheckBox::toggled, this,
            [](bool on) { Settings::shared().setValue(checkKey(), on); });
    connect(&Settings::shared(), &Settings::valueChanged, m_checkAutomatically, [this](const QString& key) {
        if (key != checkKey())
            return;
        const QSignalBlocker quiet(m_checkAutomatically);
        m_checkAutomatically->setChecked(Settings::shared().boolValue(checkKey()));
    });
    updates->addWidget(m_checkAutomatically, 0, Qt::AlignLeft);
    column()->addLayout(updates);

    column()->addWidget(divider());

    // Links.
    auto* links = new QHBoxLayout;
    links->setSpacing(16);
    m_officialSite = link(qtTrId("official_site"), ProductLinks::officialSite());
    m_privacy = link(qtTrId("privacy_policy"), ProductLinks::privacyPolicy());
    m_feedback = link(qtTrId("send_feedback"), ProductLinks::feedback());
    for (QAbstractButton* button : {m_officialSite, m_privacy, m_feedback}) {
        button->setFont(PreferencesStyle::font(TextStyle::Subheadline, button->font()));
        links->addWidget(button);
    }
    links->addStretch(1);
    column()->addLayout(links);

    column()->addWidget(divider());

    // Credits.
    QLabel* credits = label(qtTrId("credits_title"), TextStyle::Headline);
    column()->addWidget(credits);
    for (const char* key :
         {"credit_development", "credit_icons", "credit_community", "credit_special_thanks"})
        column()->addWidget(label(qtTrId(key), TextStyle::Body, true));

    column()->addWidget(divider());

    // Explore: the sibling product's card.
    column()->addWidget(label(qtTrId("about_explore_title"), TextStyle::Headline));
    m_card = new QFrame;
    m_card->setObjectName(QStringLiteral("exploreCard"));
    m_card->setStyleSheet(
        QStringLiteral("QFrame#exploreCard { border: 1px solid palette(mid); border-radius: 12px; }"));
    m_card->setAccessibleName(qtTrId("about_explore_tintrove_title"));
    m_card->setAccessibleDescription(qtTrId("about_explore_learn_more"));
    auto* card = new QHBoxLayout(m_card);
    card->setContentsMargins(12, 12, 12, 12);
    card->setSpacing(12);
    const QString siblingIcon = siblingProductIcon();
    auto* image = new QLabel;
    image->setObjectName(siblingIcon);
    image->setPixmap(symbolPixmap(
        siblingIcon, 40, siblingIcon == u"tray.full.fill" ? palette().color(QPalette::WindowText) : QColor(),
        ratio));
    card->addWidget(image, 0, Qt::AlignTop);
    auto* cardText = new QVBoxLayout;
    cardText->setSpacing(2);
    cardText->addWidget(label(qtTrId("about_explore_tintrove_title"), TextStyle::Headline));
    cardText->addWidget(label(qtTrId("about_explore_tintrove_tagline"), TextStyle::Subheadline, true));
    m_learnMore = link(qtTrId("about_explore_learn_more"), ProductLinks::siblingProduct());
    cardText->addWidget(m_learnMore, 0, Qt::AlignLeft);
    card->addLayout(cardText, 1);
    column()->addWidget(m_card);

    column()->addStretch(1);
}

QAbstractButton* AboutPreferencesView::link(const QString& text, const QUrl& url)
{
    auto* button = new QPushButton(text);
    button->setFlat(true);
    button->setAutoDefault(false);
    button->setCursor(Qt::PointingHandCursor);
    button->setToolTip(url.toDisplayString());
    button->setStyleSheet(
        QStringLiteral("QPushButton { color: palette(link); border: none; padding: 0px; "
                       "text-align: left; } QPushButton:hover { text-decoration: underline; }"));
    connect(button, &QPushButton::clicked, this, [this, url] { services().open(url); });
    return button;
}
