#include "preferences/PreferencesView.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QListWidget>
#include <QScrollArea>
#include <QTimer>

#include "core/AppEnvironment.h"
#include "core/Notifications.h"
#include "preferences/AboutPreferencesView.h"
#include "preferences/AppearancePreferencesView.h"
#include "preferences/GeneralPreferencesView.h"
#include "preferences/HistoryPreferencesView.h"
#include "preferences/LanguagePreferencesView.h"
#include "preferences/PermissionsPreferencesView.h"
#include "preferences/PreferencesWidgets.h"

PreferencesView::PreferencesView(ClipboardHistory& history, PreferencesServices services, QWidget* parent)
    : QWidget(parent), m_history(history), m_services(std::move(services)), m_sidebar(new QListWidget),
      m_pageArea(new QScrollArea)
{
    setMinimumSize(620, 500);
    setLocale(AppEnvironment::shared().locale());

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_sidebar->setObjectName(QStringLiteral("preferencesSidebar"));
    m_sidebar->setSelectionMode(QAbstractItemView::SingleSelection);
    m_sidebar->setFrameShape(QFrame::NoFrame);
    m_sidebar->setIconSize(QSize(16, 16));
    m_sidebar->setFixedWidth(200);
    m_sidebar->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_sidebar->setStyleSheet(QStringLiteral(
        "QListWidget#preferencesSidebar { background: palette(window); padding: 8px 6px; outline: none; }"
        "QListWidget#preferencesSidebar::item { padding: 6px 6px; border-radius: 5px; color: "
        "palette(window-text); }"
        "QListWidget#preferencesSidebar::item:selected { background: palette(highlight); "
        "color: palette(highlighted-text); }"));
    for (PreferencesSection section : allPreferencesSections()) {
        auto* item = new QListWidgetItem(m_sidebar);
        item->setData(Qt::UserRole, QVariant::fromValue(section));
    }
    retranslate();
    layout->addWidget(m_sidebar);
    layout->addWidget(PreferencesStyle::divider(Qt::Vertical));

    m_pageArea->setFrameShape(QFrame::NoFrame);
    m_pageArea->setWidgetResizable(true);
    m_pageArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_pageArea->setBackgroundRole(QPalette::Base);
    layout->addWidget(m_pageArea, 1);

    m_sidebar->setCurrentRow(0);
    connect(m_sidebar, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            setSelectedSection(allPreferencesSections().value(row));
    });
    connect(&Notifications::shared(), &Notifications::selectPreferencesSection, this,
            [this](const QVariant& object) {
                if (object.metaType() == QMetaType::fromType<PreferencesSection>())
                    setSelectedSection(object.value<PreferencesSection>());
            });
    connect(&AppEnvironment::shared(), &AppEnvironment::selectedLanguageChanged, this,
            [this] { setLocale(AppEnvironment::shared().locale()); });
    showPage();
}

void PreferencesView::setSelectedSection(PreferencesSection section)
{
    if (section == m_selectedSection && m_page)
        return;
    m_selectedSection = section;
    {
        const QSignalBlocker quiet(m_sidebar);
        m_sidebar->setCurrentRow(int(allPreferencesSections().indexOf(section)));
    }
    showPage();
    Q_EMIT selectedSectionChanged(section);
}

QWidget* PreferencesView::createPage(PreferencesSection section)
{
    switch (section) {
    case PreferencesSection::General:
        return new GeneralPreferencesView(m_services);
    case PreferencesSection::Appearance:
        return new AppearancePreferencesView(m_services);
    case PreferencesSection::History:
        return new HistoryPreferencesView(m_history, m_services);
    case PreferencesSection::Language:
        return new LanguagePreferencesView(m_services);
    case PreferencesSection::Permissions:
        return new PermissionsPreferencesView(m_services);
    case PreferencesSection::About:
        return new AboutPreferencesView(m_services);
    }
    return new QWidget;
}

void PreferencesView::showPage()
{
    m_rebuildQueued = false;
    // The old page may be the sender of what led here (a picker's signal): delete it later.
    if (QWidget* old = m_pageArea->takeWidget()) {
        old->hide();
        old->deleteLater();
    }
    auto* frame = new QWidget;
    frame->setBackgroundRole(QPalette::Base);
    frame->setAutoFillBackground(true);
    auto* padding = new QVBoxLayout(frame);
    padding->setContentsMargins(24, 24, 24, 24);
    m_page = createPage(m_selectedSection);
    m_page->setObjectName(QStringLiteral("page_") + sectionName(m_selectedSection));
    padding->addWidget(m_page);
    m_pageArea->setWidget(frame);
}

void PreferencesView::retranslate()
{
    const QColor tint = palette().color(QPalette::Highlight);
    const QColor selectedTint = palette().color(QPalette::HighlightedText);
    for (int row = 0; row < m_sidebar->count(); ++row) {
        QListWidgetItem* item = m_sidebar->item(row);
        const auto section = item->data(Qt::UserRole).value<PreferencesSection>();
        item->setText(qtTrId(sectionLabelKey(section).toUtf8().constData()));
        QIcon icon(PreferencesStyle::symbolPixmap(sectionSymbol(section), 16, tint, 2.0));
        icon.addPixmap(PreferencesStyle::symbolPixmap(sectionSymbol(section), 16, selectedTint, 2.0),
                       QIcon::Selected);
        item->setIcon(icon);
        item->setSizeHint(QSize(0, 30));
    }
}

void PreferencesView::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::LanguageChange || m_rebuildQueued)
        return;
    // Every widget hears about the new language in turn; rebuild once they all have.
    m_rebuildQueued = true;
    QTimer::singleShot(0, this, [this] {
        retranslate();
        showPage();
    });
}
