#pragma once

#include <QAbstractItemModel>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "files/drives.h"
#include "files/folder_listing.h"

namespace tamberline {

// The folders of a tree, without a widget: one root per shown drive, one
// item per folder below, listed only when expanded. An item not listed yet
// that may hold folders reports children (the placeholder) but has no
// rows. Item texts are the raw bytes of the names, so a name that is not
// valid UTF-8 still leads to its folder.
class FolderTreeModel final : public QAbstractItemModel {
    Q_OBJECT
public:
    // Asked when a label edit ends with a non-empty text; true when the
    // item may take the new text.
    using RenameHandler = std::function<bool(const QModelIndex& item, const std::string& text)>;

    explicit FolderTreeModel(QObject* parent = nullptr);
    ~FolderTreeModel() override;

    // Adds the root when its type is in `mask`; false when it is not or the
    // root is shown already. CD-ROM roots get a placeholder only when they
    // hold a subfolder, other roots always.
    bool AddDrive(const Drive& drive, uint32_t mask);
    // The roots shown, in order (shares too).
    std::vector<Drive> Drives() const;
    // The network branch: a share is a top-level item after the drives,
    // its path as text, always expandable. False when the root is shown
    // already (as a drive or a share).
    bool AddShare(const std::string& share);
    // Collapses and deletes the share's item; false when it is not shown.
    bool RemoveShare(const std::string& share);
    bool IsShare(const QModelIndex& item) const;
    std::vector<std::string> Shares() const;

    std::string PathOf(const QModelIndex& item) const;  // ends in '/'
    std::string NameOf(const QModelIndex& item) const;
    DriveType DriveTypeOf(const QModelIndex& item) const;
    std::string DriveRootOf(const QModelIndex& item) const;
    bool IsRoot(const QModelIndex& item) const;

    // Lists the item's subfolders (a removable drive's root is always
    // tried). False when the folder is gone (the item is deleted then) or
    // the scan was ended by `progress`.
    bool Expand(const QModelIndex& item, const ScanProgress& progress = {});
    // Removes the children and puts the placeholder back.
    void Collapse(const QModelIndex& item);
    // Expands from the root holding `path` down along its folders; the
    // deepest item reached (invalid when no root holds the path).
    QModelIndex ExpandTo(const std::string& path, const ScanProgress& progress = {});
    // Brings every expanded branch of the root up to date with the disk.
    void RefreshDrive(const std::string& root);

    // A folder made by the program: inserted in natural order, no placeholder.
    QModelIndex InsertFolder(const QModelIndex& parent, const std::string& name);
    QModelIndex ChildNamed(const QModelIndex& parent, const std::string& name) const;
    void SetName(const QModelIndex& item, const std::string& name);
    void RemoveItem(const QModelIndex& item);
    // Makes the item show an expand button when its folder holds folders.
    void UpdatePlaceholder(const QModelIndex& item);
    bool HasPlaceholder(const QModelIndex& item) const;

    // Every listed folder of a root, for the drive monitors.
    std::vector<std::string> ExpandedFolders(const std::string& root) const;

    void SetRenameHandler(RenameHandler handler) { rename_ = std::move(handler); }

    // QAbstractItemModel
    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& item, int role) const override;
    bool setData(const QModelIndex& item, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& item) const override;

private:
    struct Node;

    Node* NodeOf(const QModelIndex& item) const;
    QModelIndex IndexOf(const Node* node) const;
    std::string PathOfNode(const Node* node) const;
    const Node* RootOf(const Node* node) const;
    void RemoveChildren(Node* node);
    void InsertChildren(Node* node, std::vector<std::unique_ptr<Node>> children, int row);
    void RefreshNode(Node* node);
    void CollectExpanded(const Node* node, std::vector<std::string>& out) const;
    void InsertRoot(std::unique_ptr<Node> node);

    std::vector<std::unique_ptr<Node>> roots_;
    RenameHandler rename_;
};

}  // namespace tamberline
