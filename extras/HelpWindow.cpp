#include "extras/HelpWindow.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QRegularExpression>
#include <QSplitter>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QUrl>
#include <QVBoxLayout>
#include <utility>

#include "extras/Links.h"
#include "platform/Shell.h"
#include "platform/core/Files.h"

namespace extras {
namespace {
constexpr int kPageRole = Qt::UserRole;

QString Unescaped(QString text) {
    text.replace(QLatin1String("&lt;"), QLatin1String("<"));
    text.replace(QLatin1String("&gt;"), QLatin1String(">"));
    text.replace(QLatin1String("&quot;"), QLatin1String("\""));
    return text.replace(QLatin1String("&amp;"), QLatin1String("&"));
}

void AddTopics(const std::vector<HelpTopic>& topics, QTreeWidgetItem* parent) {
    for (const HelpTopic& topic : topics) {
        auto* item = new QTreeWidgetItem(parent, {QString::fromStdString(topic.name)});
        item->setData(0, kPageRole, QString::fromStdString(topic.page));
        AddTopics(topic.children, item);
    }
}
}  // namespace

std::vector<HelpTopic> ReadHelpContents(const std::string& text) {
    // The sitemap is HTML of a fixed shape: nested <UL> lists whose <OBJECT type="text/sitemap"> entries
    // carry the title and the page as <param> values.
    static const QRegularExpression tag(QStringLiteral(R"(<\s*(/?)\s*(ul|object|param)\b([^>]*)>)"),
                                        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression attribute(QStringLiteral(R"re((\w+)\s*=\s*"([^"]*)")re"));
    std::vector<HelpTopic> root;
    std::vector<std::vector<HelpTopic>*> levels;
    HelpTopic current;
    bool inTopic = false;
    auto it = tag.globalMatch(QString::fromStdString(text));
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        const bool closing = !m.captured(1).isEmpty();
        const QString name = m.captured(2).toLower();
        QString param, value, type;
        for (auto a = attribute.globalMatch(m.captured(3)); a.hasNext();) {
            const QRegularExpressionMatch at = a.next();
            const QString key = at.captured(1).toLower();
            if (key == QLatin1String("name"))
                param = at.captured(2).toLower();
            else if (key == QLatin1String("value"))
                value = Unescaped(at.captured(2));
            else if (key == QLatin1String("type"))
                type = at.captured(2).toLower();
        }
        if (name == QLatin1String("ul")) {
            if (closing) {
                if (!levels.empty())
                    levels.pop_back();
            } else if (levels.empty()) {
                levels.push_back(&root);
            } else {
                // A list inside a list holds the entries under the topic just before it.
                std::vector<HelpTopic>* level = levels.back();
                levels.push_back(level->empty() ? level : &level->back().children);
            }
        } else if (name == QLatin1String("object")) {
            if (!closing && type == QLatin1String("text/sitemap")) {
                current = HelpTopic{};
                inTopic = true;
            } else if (closing && inTopic) {
                inTopic = false;
                if (!current.name.empty())
                    (levels.empty() ? root : *levels.back()).push_back(std::exchange(current, {}));
            }
        } else if (inTopic && param == QLatin1String("name")) {
            current.name = value.toStdString();
        } else if (inTopic && param == QLatin1String("local")) {
            current.page = value.toStdString();
        }
    }
    return root;
}

THelpForm::THelpForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("HelpForm"));
    setWindowTitle(QStringLiteral("Quenzor Help"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setSizeGripEnabled(true);

    Contents = new QTreeWidget;
    Contents->setObjectName(QStringLiteral("Contents"));
    Contents->setHeaderHidden(true);
    Contents->setAccessibleName(QStringLiteral("Contents"));
    Contents->setColumnCount(1);
    Page = new QTextBrowser;
    Page->setObjectName(QStringLiteral("Page"));
    Page->setOpenLinks(false);
    Page->setAccessibleName(QStringLiteral("Help page"));
    auto* splitter = new QSplitter(Qt::Horizontal);
    splitter->addWidget(Contents);
    splitter->addWidget(Page);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({220, 560});

    BackButton = new QPushButton(QStringLiteral("&Back"));
    BackButton->setObjectName(QStringLiteral("BackButton"));
    ForwardButton = new QPushButton(QStringLiteral("&Forward"));
    ForwardButton->setObjectName(QStringLiteral("ForwardButton"));
    CloseButton = new QPushButton(QStringLiteral("&Close"));
    CloseButton->setObjectName(QStringLiteral("CloseButton"));
    for (QPushButton* button : {BackButton, ForwardButton, CloseButton})
        button->setAutoDefault(false);
    BackButton->setEnabled(false);
    ForwardButton->setEnabled(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BackButton);
    buttons->addWidget(ForwardButton);
    buttons->addStretch(1);
    buttons->addWidget(CloseButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(splitter, 1);
    layout->addLayout(buttons);
    resize(800, 560);

    connect(Contents, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { ShowPage(item->data(0, kPageRole).toString().toStdString()); });
    // Moving through the contents with the keys shows each page, as clicking does.
    connect(Contents, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item != nullptr)
            ShowPage(item->data(0, kPageRole).toString().toStdString());
    });
    connect(Page, &QTextBrowser::anchorClicked, this, &THelpForm::FollowLink);
    connect(Page, &QTextBrowser::backwardAvailable, BackButton, &QPushButton::setEnabled);
    connect(Page, &QTextBrowser::forwardAvailable, ForwardButton, &QPushButton::setEnabled);
    connect(Page, &QTextBrowser::historyChanged, this, &THelpForm::MarkCurrentTopic);
    connect(BackButton, &QPushButton::clicked, Page, &QTextBrowser::backward);
    connect(ForwardButton, &QPushButton::clicked, Page, &QTextBrowser::forward);
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::close);
}

void THelpForm::Load(const std::string& helpDirectory) {
    directory_ = helpDirectory;
    Contents->clear();
    Page->clearHistory();
    std::vector<HelpTopic> topics;
    try {
        topics = ReadHelpContents(platform::ReadFileBytes(helpDirectory + "toc.hhc"));
    } catch (const platform::EFileError&) {
        // Without the contents the pages still show, starting at the first.
    }
    AddTopics(topics, Contents->invisibleRootItem());
    Contents->expandAll();
    ShowPage(topics.empty() || topics.front().page.empty() ? "index.htm" : topics.front().page);
}

void THelpForm::ShowPage(const std::string& page) {
    if (page.empty())
        return;
    if (ShowLocalPage(Page, QString::fromStdString(directory_ + page), QStringLiteral("help page")))
        return;
    MarkCurrentTopic();
}

std::string THelpForm::CurrentPage() const {
    const QUrl source = Page->source();
    return source.isLocalFile() ? QFileInfo(source.toLocalFile()).fileName().toStdString() : std::string();
}

void THelpForm::FollowLink(const QUrl& link) {
    if (link.isEmpty())
        return;
    if (link.scheme().isEmpty() && link.path().isEmpty() && !link.fragment().isEmpty()) {
        Page->scrollToAnchor(link.fragment());
        return;
    }
    const QUrl target = Page->source().isValid() ? Page->source().resolved(link) : link;
    const QString path = target.isLocalFile() ? target.toLocalFile() : QString();
    if (path.endsWith(QLatin1String(".htm"), Qt::CaseInsensitive) ||
        path.endsWith(QLatin1String(".html"), Qt::CaseInsensitive)) {
        const QFileInfo info(path);
        if (info.isFile()) {
            Page->setSource(QUrl::fromLocalFile(info.absoluteFilePath()), QTextDocument::HtmlResource);
            if (!target.fragment().isEmpty())
                Page->scrollToAnchor(target.fragment());
            return;
        }
    }
    platform::ShellOpen(target.isLocalFile() ? path.toStdString() : target.toString().toStdString());
}

void THelpForm::MarkCurrentTopic() {
    const QString page = QString::fromStdString(CurrentPage());
    QTreeWidgetItem* match = nullptr;
    for (QTreeWidgetItemIterator it(Contents); *it != nullptr && match == nullptr; ++it) {
        if ((*it)->data(0, kPageRole).toString().compare(page, Qt::CaseInsensitive) == 0)
            match = *it;
    }
    const QSignalBlocker quiet(Contents);
    Contents->setCurrentItem(match);
    if (match == nullptr)
        Contents->clearSelection();
}

THelpForm* ShowHelpWindow(const std::string& helpDirectory, QWidget* owner) {
    auto* form =
        owner != nullptr ? owner->findChild<THelpForm*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    if (form == nullptr) {
        form = new THelpForm(owner);
        if (owner == nullptr)
            form->setAttribute(Qt::WA_DeleteOnClose);
        form->Load(helpDirectory);
    }
    form->show();
    form->raise();
    form->activateWindow();
    return form;
}

}  // namespace extras
