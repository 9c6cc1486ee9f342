// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QAbstractItemModel>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class FolderHandle;

// What a row of the folder tree stands for.
enum class FolderKind : std::uint8_t {
    Folder, // a folder of the drive's filesystem
    Link,   // a symbolic link to a folder: shown, never followed or expanded
    Mount,  // a folder with another filesystem mounted on it
};

struct SubFolder {
    std::string name; // exact bytes
    FolderKind kind = FolderKind::Folder;
};

// The sub-folders of an open folder as every walk of this program sees them: hidden ones left out,
// links to folders as links (the link followed for its type only), mounts as mounts; in name order
// (ASCII case ignored, then the bytes). False with errno in *error when the folder cannot be read.
bool ListSubFolders(const FolderHandle& folder, std::vector<SubFolder>& out, int* error = nullptr);

// The folder tree of one drive for the browser: the drive's root folder as the one top row and,
// below each folder, its sub-folders (ListSubFolders). A folder's sub-folders are listed only when
// the view asks for them (fetchMore, when it expands the row), on a thread of the model's own, so
// a large or slow folder never holds up the window: its rows come in when its listing is done.
class FolderTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    static constexpr int KindRole = Qt::UserRole + 1; // FolderKind as int

    explicit FolderTreeModel(QObject* parent = nullptr);
    ~FolderTreeModel() override;

    // Shows the folders of the drive whose root folder is rootPath (exact bytes).
    void setRoot(const std::string& rootPath);
    const std::string& rootPath() const { return m_rootPath; }
    QModelIndex rootIndex() const;

    // The row of the folder at names below the root. Rows not listed yet are made at once (a
    // hidden folder's too: the browsed folder is always shown) and stay while it is browsed.
    QModelIndex reveal(const std::vector<std::string>& names);
    std::vector<std::string> namesOf(const QModelIndex& index) const;
    FolderKind kindOf(const QModelIndex& index) const;
    // Lists the row's sub-folders again; rows of folders that are gone then go.
    void refresh(const QModelIndex& index);
    bool isListed(const QModelIndex& index) const;
    // Whether a listing is still running.
    bool isListing() const { return m_pending > 0; }

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

Q_SIGNALS:
    // A folder's sub-folders came in.
    void folderListed(const QModelIndex& folder);

private:
    struct Node;
    struct Shared;
    struct Listing;

    Node* nodeOf(const QModelIndex& index) const;
    QModelIndex indexOf(Node* node) const;
    void startListing(Node* node);
    void takeListing(std::uint64_t id, bool ok, std::vector<SubFolder> folders);
    Node* childNamed(Node* node, const std::string& name) const;
    void insertChildren(Node* node, int row, std::vector<std::unique_ptr<Node>> nodes);
    void forget(Node* node);
    bool pinned(const Node* node) const;

    std::string m_rootPath;
    std::unique_ptr<Node> m_root;
    std::unordered_map<std::uint64_t, Node*> m_nodes; // by id, for listings that come back
    std::uint64_t m_nextId = 1;
    std::vector<Node*> m_pinned; // the revealed chain, kept across listings
    int m_pending = 0;
    std::shared_ptr<Shared> m_shared;
};
