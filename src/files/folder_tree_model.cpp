#include "files/folder_tree_model.h"

#include <QFile>
#include <algorithm>
#include <unordered_set>

#include "files/natural_order.h"

namespace tamberline {

struct FolderTreeModel::Node {
    std::string name;  // a root's name is its path, ending in '/'
    Node* parent = nullptr;
    int row = 0;
    std::vector<std::unique_ptr<Node>> children;
    bool placeholder = false;
    bool expanded = false;
    DriveType type = DriveType::kFixed;  // roots only
    bool share = false;                  // a root of the network branch
};

FolderTreeModel::FolderTreeModel(QObject* parent) : QAbstractItemModel(parent) {}

FolderTreeModel::~FolderTreeModel() = default;

namespace {

template <typename NodeT>
void RenumberNodes(std::vector<std::unique_ptr<NodeT>>& nodes, size_t from) {
    for (size_t i = from; i < nodes.size(); ++i) {
        nodes[i]->row = static_cast<int>(i);
    }
}

}  // namespace

bool FolderTreeModel::AddDrive(const Drive& drive, uint32_t mask) {
    if (!InDriveMask(mask, drive.type)) {
        return false;
    }
    for (const auto& root : roots_) {
        if (root->name == drive.root) {
            return false;
        }
    }
    auto node = std::make_unique<Node>();
    node->name = drive.root;
    node->type = drive.type;
    node->placeholder = drive.type != DriveType::kCdRom || HasSubfolders(drive.root);
    InsertRoot(std::move(node));
    return true;
}

// Drives sort by path ("/" first, then the home folder and the mounts);
// the shares follow, by path among themselves.
void FolderTreeModel::InsertRoot(std::unique_ptr<Node> node) {
    const auto at = std::find_if(roots_.begin(), roots_.end(), [&node](const auto& root) {
        return root->share == node->share ? root->name > node->name : root->share;
    });
    const int row = static_cast<int>(at - roots_.begin());
    beginInsertRows({}, row, row);
    roots_.insert(at, std::move(node));
    RenumberNodes(roots_, static_cast<size_t>(row));
    endInsertRows();
}

bool FolderTreeModel::AddShare(const std::string& share) {
    const std::string root = WithTrailingSlash(share);
    for (const auto& shown : roots_) {
        if (shown->name == root) {
            return false;
        }
    }
    auto node = std::make_unique<Node>();
    node->name = root;
    node->type = DriveType::kRemote;
    node->share = true;
    // Whether a share holds folders is only asked when it is opened: a
    // server that went away must not hold up the tree here.
    node->placeholder = true;
    InsertRoot(std::move(node));
    return true;
}

bool FolderTreeModel::RemoveShare(const std::string& share) {
    const std::string root = WithTrailingSlash(share);
    for (const auto& shown : roots_) {
        if (shown->share && shown->name == root) {
            RemoveItem(IndexOf(shown.get()));
            return true;
        }
    }
    return false;
}

bool FolderTreeModel::IsShare(const QModelIndex& item) const {
    const Node* node = NodeOf(item);
    return node && !node->parent && node->share;
}

std::vector<std::string> FolderTreeModel::Shares() const {
    std::vector<std::string> shares;
    for (const auto& root : roots_) {
        if (root->share) {
            shares.push_back(root->name);
        }
    }
    return shares;
}

std::vector<Drive> FolderTreeModel::Drives() const {
    std::vector<Drive> drives;
    for (const auto& root : roots_) {
        drives.push_back({root->name, root->type});
    }
    return drives;
}

FolderTreeModel::Node* FolderTreeModel::NodeOf(const QModelIndex& item) const {
    return item.isValid() ? static_cast<Node*>(item.internalPointer()) : nullptr;
}

QModelIndex FolderTreeModel::IndexOf(const Node* node) const {
    return node ? createIndex(node->row, 0, const_cast<Node*>(node)) : QModelIndex();
}

const FolderTreeModel::Node* FolderTreeModel::RootOf(const Node* node) const {
    while (node && node->parent) {
        node = node->parent;
    }
    return node;
}

std::string FolderTreeModel::PathOfNode(const Node* node) const {
    std::vector<const Node*> chain;
    for (; node; node = node->parent) {
        chain.push_back(node);
    }
    std::string path;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        path += (*it)->name;
        if (path.empty() || path.back() != '/') {
            path += '/';
        }
    }
    return path;
}

std::string FolderTreeModel::PathOf(const QModelIndex& item) const {
    return item.isValid() ? PathOfNode(NodeOf(item)) : std::string();
}

std::string FolderTreeModel::NameOf(const QModelIndex& item) const {
    const Node* node = NodeOf(item);
    return node ? node->name : std::string();
}

DriveType FolderTreeModel::DriveTypeOf(const QModelIndex& item) const {
    const Node* root = RootOf(NodeOf(item));
    return root ? root->type : DriveType::kUnknown;
}

std::string FolderTreeModel::DriveRootOf(const QModelIndex& item) const {
    const Node* root = RootOf(NodeOf(item));
    return root ? root->name : std::string();
}

bool FolderTreeModel::IsRoot(const QModelIndex& item) const {
    const Node* node = NodeOf(item);
    return node && !node->parent;
}

bool FolderTreeModel::HasPlaceholder(const QModelIndex& item) const {
    const Node* node = NodeOf(item);
    return node && node->placeholder;
}

void FolderTreeModel::RemoveChildren(Node* node) {
    if (!node->children.empty()) {
        beginRemoveRows(IndexOf(node), 0, static_cast<int>(node->children.size()) - 1);
        node->children.clear();
        endRemoveRows();
    }
}

void FolderTreeModel::InsertChildren(Node* node, std::vector<std::unique_ptr<Node>> children,
                                     int row) {
    if (children.empty()) {
        return;
    }
    for (auto& child : children) {
        child->parent = node;
    }
    beginInsertRows(IndexOf(node), row, row + static_cast<int>(children.size()) - 1);
    node->children.insert(node->children.begin() + row, std::make_move_iterator(children.begin()),
                          std::make_move_iterator(children.end()));
    RenumberNodes(node->children, static_cast<size_t>(row));
    endInsertRows();
}

bool FolderTreeModel::Expand(const QModelIndex& item, const ScanProgress& progress) {
    Node* node = NodeOf(item);
    if (!node) {
        return false;
    }
    const std::string path = PathOfNode(node);
    const bool removable = RootOf(node)->type == DriveType::kRemovable;
    if (!removable && !IsFolder(path)) {
        RemoveItem(item);
        return false;
    }
    RemoveChildren(node);
    FolderScan scan = ListSubfolders(path, progress);
    if (!scan.complete) {
        return false;
    }
    std::vector<std::unique_ptr<Node>> children;
    children.reserve(scan.names.size());
    int seen = 0;
    for (std::string& name : scan.names) {
        auto child = std::make_unique<Node>();
        child->placeholder = HasSubfolders(path + name);
        child->name = std::move(name);
        children.push_back(std::move(child));
        if (progress && ++seen % kScanProgressEvery == 0 && !progress(seen)) {
            return false;
        }
    }
    node->placeholder = false;
    node->expanded = true;
    InsertChildren(node, std::move(children), 0);
    return true;
}

void FolderTreeModel::Collapse(const QModelIndex& item) {
    Node* node = NodeOf(item);
    if (!node) {
        return;
    }
    const bool hadChildren = !node->children.empty() || node->placeholder;
    RemoveChildren(node);
    node->expanded = false;
    node->placeholder = hadChildren;
}

QModelIndex FolderTreeModel::ExpandTo(const std::string& path, const ScanProgress& progress) {
    const Node* best = nullptr;
    for (const auto& root : roots_) {
        const bool holds = path.compare(0, root->name.size(), root->name) == 0 ||
                           WithTrailingSlash(path) == root->name;
        if (holds && (!best || root->name.size() > best->name.size())) {
            best = root.get();
        }
    }
    if (!best) {
        return {};
    }
    QModelIndex current = IndexOf(best);
    size_t at = best->name.size();
    while (at < path.size()) {
        size_t end = path.find('/', at);
        if (end == std::string::npos) {
            end = path.size();
        }
        const std::string component = path.substr(at, end - at);
        at = end + 1;
        if (component.empty()) {
            continue;
        }
        if (!Expand(current, progress)) {
            return {};
        }
        const QModelIndex child = ChildNamed(current, component);
        if (!child.isValid()) {
            break;
        }
        current = child;
    }
    return current;
}

QModelIndex FolderTreeModel::ChildNamed(const QModelIndex& parent, const std::string& name) const {
    const Node* node = NodeOf(parent);
    if (!node) {
        return {};
    }
    for (const auto& child : node->children) {
        if (child->name == name) {
            return IndexOf(child.get());
        }
    }
    return {};
}

void FolderTreeModel::RefreshDrive(const std::string& root) {
    for (const auto& node : roots_) {
        if (node->name == root) {
            RefreshNode(node.get());
            return;
        }
    }
}

void FolderTreeModel::RefreshNode(Node* node) {
    const std::string path = PathOfNode(node);
    const QModelIndex item = IndexOf(node);
    if (!node->expanded) {
        const bool has = HasSubfolders(path);
        if (has != node->placeholder) {
            node->placeholder = has;
            emit dataChanged(item, item);
        }
        return;
    }
    const FolderScan scan = ListSubfolders(path);
    if (scan.error != 0 && IsFolder(path)) {
        return;  // unreadable just now: keep what is shown
    }
    const std::unordered_set<std::string> onDisk(scan.names.begin(), scan.names.end());
    for (int row = static_cast<int>(node->children.size()) - 1; row >= 0; --row) {
        if (!onDisk.count(node->children[static_cast<size_t>(row)]->name)) {
            beginRemoveRows(item, row, row);
            node->children.erase(node->children.begin() + row);
            RenumberNodes(node->children, static_cast<size_t>(row));
            endRemoveRows();
        }
    }
    // Both lists are in natural order: walk them together and insert the
    // folders that have no item yet.
    size_t row = 0;
    for (const std::string& name : scan.names) {
        if (row < node->children.size() && node->children[row]->name == name) {
            ++row;
            continue;
        }
        auto child = std::make_unique<Node>();
        child->name = name;
        child->placeholder = HasSubfolders(path + name);
        std::vector<std::unique_ptr<Node>> one;
        one.push_back(std::move(child));
        InsertChildren(node, std::move(one), static_cast<int>(row));
        ++row;
    }
    for (const auto& child : node->children) {
        RefreshNode(child.get());
    }
}

QModelIndex FolderTreeModel::InsertFolder(const QModelIndex& parent, const std::string& name) {
    Node* node = NodeOf(parent);
    if (!node) {
        return {};
    }
    std::vector<std::string> names;
    for (const auto& child : node->children) {
        names.push_back(child->name);
    }
    names.push_back(name);
    SortNatural(names);
    const int row = static_cast<int>(std::find(names.begin(), names.end(), name) - names.begin());
    auto child = std::make_unique<Node>();
    child->name = name;
    std::vector<std::unique_ptr<Node>> one;
    one.push_back(std::move(child));
    node->expanded = true;
    node->placeholder = false;
    InsertChildren(node, std::move(one), row);
    return IndexOf(node->children[static_cast<size_t>(row)].get());
}

void FolderTreeModel::SetName(const QModelIndex& item, const std::string& name) {
    if (Node* node = NodeOf(item)) {
        node->name = name;
        emit dataChanged(item, item);
    }
}

void FolderTreeModel::RemoveItem(const QModelIndex& item) {
    Node* node = NodeOf(item);
    if (!node) {
        return;
    }
    auto& siblings = node->parent ? node->parent->children : roots_;
    const int row = node->row;
    beginRemoveRows(item.parent(), row, row);
    siblings.erase(siblings.begin() + row);
    RenumberNodes(siblings, static_cast<size_t>(row));
    endRemoveRows();
}

void FolderTreeModel::UpdatePlaceholder(const QModelIndex& item) {
    Node* node = NodeOf(item);
    if (node && node->children.empty() && !node->placeholder && HasSubfolders(PathOfNode(node))) {
        node->placeholder = true;
        node->expanded = false;
        emit dataChanged(item, item);
    }
}

std::vector<std::string> FolderTreeModel::ExpandedFolders(const std::string& root) const {
    std::vector<std::string> out;
    for (const auto& node : roots_) {
        if (node->name == root) {
            CollectExpanded(node.get(), out);
        }
    }
    return out;
}

void FolderTreeModel::CollectExpanded(const Node* node, std::vector<std::string>& out) const {
    if (!node->expanded) {
        return;
    }
    out.push_back(PathOfNode(node));
    for (const auto& child : node->children) {
        CollectExpanded(child.get(), out);
    }
}

QModelIndex FolderTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0) {
        return {};
    }
    const auto& nodes = parent.isValid() ? NodeOf(parent)->children : roots_;
    if (row >= static_cast<int>(nodes.size())) {
        return {};
    }
    return createIndex(row, 0, nodes[static_cast<size_t>(row)].get());
}

QModelIndex FolderTreeModel::parent(const QModelIndex& child) const {
    const Node* node = NodeOf(child);
    return node ? IndexOf(node->parent) : QModelIndex();
}

int FolderTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0) {
        return 0;
    }
    return static_cast<int>(parent.isValid() ? NodeOf(parent)->children.size() : roots_.size());
}

int FolderTreeModel::columnCount(const QModelIndex& /*parent*/) const {
    return 1;
}

bool FolderTreeModel::hasChildren(const QModelIndex& parent) const {
    if (!parent.isValid()) {
        return !roots_.empty();
    }
    const Node* node = NodeOf(parent);
    return !node->children.empty() || node->placeholder;
}

QVariant FolderTreeModel::data(const QModelIndex& item, int role) const {
    const Node* node = NodeOf(item);
    if (!node || (role != Qt::DisplayRole && role != Qt::EditRole)) {
        return {};
    }
    return QFile::decodeName(QByteArray::fromStdString(node->name));
}

bool FolderTreeModel::setData(const QModelIndex& item, const QVariant& value, int role) {
    if (role != Qt::EditRole || !NodeOf(item) || IsRoot(item)) {
        return false;
    }
    const std::string text = QFile::encodeName(value.toString()).toStdString();
    if (text.empty() || text == NameOf(item) || !rename_ || !rename_(item, text)) {
        return false;
    }
    SetName(item, text);
    return true;
}

Qt::ItemFlags FolderTreeModel::flags(const QModelIndex& item) const {
    if (!item.isValid()) {
        return Qt::NoItemFlags;
    }
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (!IsRoot(item)) {
        flags |= Qt::ItemIsEditable;
    }
    return flags;
}

}  // namespace tamberline
