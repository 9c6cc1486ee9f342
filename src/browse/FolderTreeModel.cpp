// SPDX-License-Identifier: GPL-3.0-or-later
#include "browse/FolderTreeModel.h"

#include "browse/BrowsedFolder.h"
#include "common/DisplayText.h"
#include "platform/FolderHandle.h"

#include <QMetaObject>
#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unordered_set>

namespace {

bool NameBefore(std::string_view a, std::string_view b) {
    const int folded = CompareFolded(a, b);
    return folded != 0 ? folded < 0 : a < b;
}

} // namespace

bool ListSubFolders(const FolderHandle& folder, std::vector<SubFolder>& out, int* error) {
    out.clear();
    FolderListing listing;
    if (!ReadFolderNames(folder, listing, error))
        return false;
    FsEntry stats;
    for (std::size_t i = 0; i < listing.size(); ++i) {
        const std::string_view name = listing.name(i);
        if (name[0] == '.' || listing.items[i].type == FolderListing::File)
            continue;
        if (StatEntry(folder, name, stats, false) != 0)
            continue;
        SubFolder sub{std::string(name), FolderKind::Folder};
        if (S_ISDIR(stats.mode)) {
            if (stats.mountRoot || stats.device != folder.device())
                sub.kind = FolderKind::Mount;
        } else if (S_ISLNK(stats.mode) && LinkLeadsToFolder(folder, name)) {
            sub.kind = FolderKind::Link;
        } else {
            continue;
        }
        out.push_back(std::move(sub));
    }
    std::sort(out.begin(), out.end(), [](const SubFolder& a, const SubFolder& b) { return NameBefore(a.name, b.name); });
    return true;
}

struct FolderTreeModel::Node {
    std::string name;
    FolderKind kind = FolderKind::Folder;
    Node* parent = nullptr;
    int row = 0;
    std::uint64_t id = 0;
    enum State : std::uint8_t { NotListed, Listing, Listed } state = NotListed;
    std::vector<std::unique_ptr<Node>> children;

    bool expandable() const { return kind != FolderKind::Link; }
    void renumber(int from = 0) {
        for (int i = from; i < int(children.size()); ++i)
            children[std::size_t(i)]->row = i;
    }
};

struct FolderTreeModel::Listing {
    std::uint64_t id;
    std::string root;
    std::vector<std::string> names;
};

// What the listing thread shares with the model. The thread outlives the model when a folder keeps
// it waiting; it then finds no model to hand its answer to.
struct FolderTreeModel::Shared {
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<Listing> queue;
    bool stop = false;
    FolderTreeModel* model = nullptr;
    bool started = false;

    static void run(std::shared_ptr<Shared> self) {
        for (;;) {
            Listing job;
            {
                std::unique_lock lock(self->mutex);
                self->wake.wait(lock, [&] { return self->stop || !self->queue.empty(); });
                if (self->stop)
                    return;
                job = std::move(self->queue.front());
                self->queue.pop_front();
            }
            std::vector<SubFolder> folders;
            const BrowsedFolder folder = OpenBrowsedFolder(job.root, job.names);
            const bool ok = folder.error == 0 && ListSubFolders(folder.handle, folders);
            std::lock_guard lock(self->mutex);
            if (!self->model)
                return;
            FolderTreeModel* model = self->model;
            // Delivered on the model's thread; dropped by Qt when the model is gone by then.
            QMetaObject::invokeMethod(
                model,
                [model, id = job.id, ok, folders = std::move(folders)]() mutable {
                    model->takeListing(id, ok, std::move(folders));
                },
                Qt::QueuedConnection);
        }
    }
};

FolderTreeModel::FolderTreeModel(QObject* parent) : QAbstractItemModel(parent), m_shared(std::make_shared<Shared>()) {
    m_shared->model = this;
}

FolderTreeModel::~FolderTreeModel() {
    std::lock_guard lock(m_shared->mutex);
    m_shared->model = nullptr;
    m_shared->stop = true;
    m_shared->wake.notify_all();
}

void FolderTreeModel::setRoot(const std::string& rootPath) {
    beginResetModel();
    m_rootPath = rootPath;
    m_nodes.clear();
    m_pinned.clear();
    m_root = std::make_unique<Node>();
    m_root->name = rootPath;
    m_root->id = m_nextId++;
    m_nodes[m_root->id] = m_root.get();
    endResetModel();
}

QModelIndex FolderTreeModel::rootIndex() const { return m_root ? createIndex(0, 0, m_root.get()) : QModelIndex(); }

FolderTreeModel::Node* FolderTreeModel::nodeOf(const QModelIndex& index) const {
    return index.isValid() ? static_cast<Node*>(index.internalPointer()) : nullptr;
}

QModelIndex FolderTreeModel::indexOf(Node* node) const { return node ? createIndex(node->row, 0, node) : QModelIndex(); }

FolderTreeModel::Node* FolderTreeModel::childNamed(Node* node, const std::string& name) const {
    const auto at = std::lower_bound(node->children.begin(), node->children.end(), name,
                                     [](const std::unique_ptr<Node>& c, const std::string& n) { return NameBefore(c->name, n); });
    return at != node->children.end() && (*at)->name == name ? at->get() : nullptr;
}

bool FolderTreeModel::pinned(const Node* node) const {
    return std::find(m_pinned.begin(), m_pinned.end(), node) != m_pinned.end();
}

void FolderTreeModel::insertChildren(Node* node, int row, std::vector<std::unique_ptr<Node>> nodes) {
    if (nodes.empty())
        return;
    beginInsertRows(indexOf(node), row, row + int(nodes.size()) - 1);
    for (auto& n : nodes) {
        n->parent = node;
        n->id = m_nextId++;
        m_nodes[n->id] = n.get();
    }
    node->children.insert(node->children.begin() + row, std::make_move_iterator(nodes.begin()),
                          std::make_move_iterator(nodes.end()));
    node->renumber(row);
    endInsertRows();
}

void FolderTreeModel::forget(Node* node) {
    m_nodes.erase(node->id);
    for (auto& child : node->children)
        forget(child.get());
}

QModelIndex FolderTreeModel::reveal(const std::vector<std::string>& names) {
    if (!m_root)
        return {};
    m_pinned.assign(1, m_root.get());
    Node* node = m_root.get();
    for (const std::string& name : names) {
        Node* child = childNamed(node, name);
        if (!child) {
            auto made = std::make_unique<Node>();
            made->name = name;
            const auto at = std::lower_bound(node->children.begin(), node->children.end(), name,
                                             [](const std::unique_ptr<Node>& c, const std::string& n) {
                                                 return NameBefore(c->name, n);
                                             });
            const int row = int(at - node->children.begin());
            std::vector<std::unique_ptr<Node>> one;
            one.push_back(std::move(made));
            insertChildren(node, row, std::move(one));
            child = node->children[std::size_t(row)].get();
        }
        node = child;
        m_pinned.push_back(node);
    }
    return indexOf(node);
}

std::vector<std::string> FolderTreeModel::namesOf(const QModelIndex& index) const {
    std::vector<std::string> names;
    for (const Node* node = nodeOf(index); node && node->parent; node = node->parent)
        names.push_back(node->name);
    std::reverse(names.begin(), names.end());
    return names;
}

FolderKind FolderTreeModel::kindOf(const QModelIndex& index) const {
    const Node* node = nodeOf(index);
    return node ? node->kind : FolderKind::Folder;
}

bool FolderTreeModel::isListed(const QModelIndex& index) const {
    const Node* node = nodeOf(index);
    return node && node->state == Node::Listed;
}

void FolderTreeModel::refresh(const QModelIndex& index) {
    Node* node = nodeOf(index);
    if (node && node->expandable() && node->state != Node::Listing)
        startListing(node);
}

void FolderTreeModel::startListing(Node* node) {
    node->state = Node::Listing;
    ++m_pending;
    std::lock_guard lock(m_shared->mutex);
    m_shared->queue.push_back({node->id, m_rootPath, namesOf(indexOf(node))});
    if (!m_shared->started) {
        m_shared->started = true;
        std::thread(&Shared::run, m_shared).detach();
    }
    m_shared->wake.notify_one();
}

void FolderTreeModel::takeListing(std::uint64_t id, bool ok, std::vector<SubFolder> folders) {
    --m_pending;
    const auto found = m_nodes.find(id);
    if (found == m_nodes.end())
        return; // the drive changed, or the folder's row went, meanwhile
    Node* node = found->second;
    node->state = Node::Listed;
    if (!ok)
        folders.clear(); // a folder that cannot be read shows nothing below it
    const QModelIndex parentIndex = indexOf(node);

    // Rows of folders that are gone go, unless they are on the browsed chain.
    std::unordered_set<std::string> present;
    for (const SubFolder& f : folders)
        present.insert(f.name);
    for (int row = int(node->children.size()) - 1; row >= 0; --row) {
        Node* child = node->children[std::size_t(row)].get();
        if (present.count(child->name) || pinned(child))
            continue;
        beginRemoveRows(parentIndex, row, row);
        forget(child);
        node->children.erase(node->children.begin() + row);
        node->renumber(row);
        endRemoveRows();
    }

    // New rows come in runs between the rows already there; both are in name order.
    std::size_t at = 0; // position in node->children
    std::vector<std::unique_ptr<Node>> run;
    for (SubFolder& f : folders) {
        while (at < node->children.size() && NameBefore(node->children[at]->name, f.name)) {
            if (!run.empty()) {
                const std::size_t count = run.size();
                insertChildren(node, int(at), std::move(run));
                run.clear();
                at += count;
                continue;
            }
            ++at;
        }
        if (at < node->children.size() && node->children[at]->name == f.name) {
            Node* existing = node->children[at].get();
            if (existing->kind != f.kind) {
                existing->kind = f.kind;
                const QModelIndex changed = indexOf(existing);
                Q_EMIT dataChanged(changed, changed);
            }
            continue;
        }
        auto made = std::make_unique<Node>();
        made->name = std::move(f.name);
        made->kind = f.kind;
        run.push_back(std::move(made));
    }
    insertChildren(node, int(at), std::move(run));
    if (node->children.empty()) {
        // The expander was shown on trust: let the view ask again.
        Q_EMIT layoutAboutToBeChanged();
        Q_EMIT layoutChanged();
    }
    Q_EMIT folderListed(parentIndex);
}

QModelIndex FolderTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0 || !m_root)
        return {};
    if (!parent.isValid())
        return row == 0 ? rootIndex() : QModelIndex();
    const Node* node = nodeOf(parent);
    if (!node || row >= int(node->children.size()))
        return {};
    return createIndex(row, 0, node->children[std::size_t(row)].get());
}

QModelIndex FolderTreeModel::parent(const QModelIndex& child) const {
    const Node* node = nodeOf(child);
    return node && node->parent ? indexOf(node->parent) : QModelIndex();
}

int FolderTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0)
        return 0;
    if (!parent.isValid())
        return m_root ? 1 : 0;
    return int(nodeOf(parent)->children.size());
}

int FolderTreeModel::columnCount(const QModelIndex&) const { return 1; }

QVariant FolderTreeModel::data(const QModelIndex& index, int role) const {
    const Node* node = nodeOf(index);
    if (!node)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return DisplayText(node->name);
    case Qt::ToolTipRole:
        if (node->kind == FolderKind::Link)
            return QStringLiteral("A link to a folder; it is not followed");
        if (node->kind == FolderKind::Mount)
            return QStringLiteral("Another filesystem is mounted here");
        return {};
    case KindRole:
        return int(node->kind);
    default:
        return {};
    }
}

bool FolderTreeModel::hasChildren(const QModelIndex& parent) const {
    if (!parent.isValid())
        return bool(m_root);
    const Node* node = nodeOf(parent);
    if (!node->children.empty())
        return true;
    // Until a folder is listed it may have sub-folders; a link is never opened.
    return node->state != Node::Listed && node->expandable();
}

bool FolderTreeModel::canFetchMore(const QModelIndex& parent) const {
    const Node* node = nodeOf(parent);
    return node && node->state == Node::NotListed && node->expandable();
}

void FolderTreeModel::fetchMore(const QModelIndex& parent) {
    if (canFetchMore(parent))
        startListing(nodeOf(parent));
}
