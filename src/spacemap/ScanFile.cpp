#include "spacemap/ScanFile.h"

#include "common/TextHelpers.h"

#include <QFile>
#include <QSet>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <utility>
#include <vector>

namespace rk {

namespace {

void appendName(QByteArray& out, const QByteArray& name) {
    out.append('"');
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out.append('\\').append(c);
        } else if (u < 0x20 || u == 0x7f) {
            static const char hex[] = "0123456789abcdef";
            out.append("\\u00").append(hex[u >> 4]).append(hex[u & 15]);
        } else {
            out.append(c);
        }
    }
    out.append('"');
}

void appendField(QByteArray& out, const char* key, std::int64_t value) {
    out.append(",\"").append(key).append("\":").append(QByteArray::number(value));
}

void appendEntry(QByteArray& out, const SpaceTree& tree, SpaceTree::Index i) {
    const SpaceTree::Node& n = tree.node(i);
    out.append("{\"name\":");
    appendName(out, tree.name(i));
    if (n.flags & SpaceTree::otherMount) {
        out.append(",\"excluded\":\"otherfs\"}");
        return;
    }
    const SpaceTree::Folder* folder = tree.folderOf(i);
    appendField(out, "asize", n.length);
    appendField(out, "dsize", folder ? folder->ownRoom : n.room);
    if (i == tree.root()) appendField(out, "dev", std::int64_t(tree.device()));
    if (const SpaceTree::LinkInfo* l = tree.links(i)) {
        appendField(out, "ino", std::int64_t(l->inode));
        out.append(",\"hlnkc\":true");
        appendField(out, "nlink", l->links);
    }
    if (n.flags & SpaceTree::notRegular) out.append(",\"notreg\":true");
    if (n.flags & SpaceTree::unreadable) out.append(",\"read_error\":true");
    appendField(out, "mtime", n.changed);
    out.append('}');
}

}  // namespace

QByteArray exportScan(const SpaceTree& tree, const QString& programVersion,
                      std::int64_t timestamp) {
    QByteArray out = "[1,2,{\"progname\":\"roomkin\",\"progver\":";
    appendName(out, programVersion.toUtf8());
    appendField(out, "timestamp", timestamp);
    out.append('}');
    if (tree.empty()) return out.append("]\n");
    // Depth first with a stack of its own, so that any depth is written: a folder that was
    // read is an array of its entry and its entries; one that was not, an array of its entry.
    struct Level {
        SpaceTree::Index folder;
        SpaceTree::Index next;
    };
    std::vector<Level> stack;
    const auto open = [&](SpaceTree::Index i) {
        out.append(",\n[");
        appendEntry(out, tree, i);
        if (const SpaceTree::Folder* f = tree.folderOf(i))
            stack.push_back({i, f->first});
        else
            out.append(']');
    };
    open(tree.root());
    while (!stack.empty()) {
        Level& top = stack.back();
        const SpaceTree::Folder& f = *tree.folderOf(top.folder);
        if (top.next == f.first + f.count) {
            out.append(']');
            stack.pop_back();
            continue;
        }
        const SpaceTree::Index c = top.next++;
        const SpaceTree::Node& n = tree.node(c);
        if (n.flags & SpaceTree::removed) continue;
        if ((n.flags & SpaceTree::isFolder) && !(n.flags & SpaceTree::otherMount)) {
            open(c);
        } else {
            out.append(",\n");
            appendEntry(out, tree, c);
        }
    }
    return out.append("]\n");
}

namespace {

struct ParseError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// One entry as the file gives it, before the tree is laid out.
struct Item {
    std::uint32_t nameOffset = 0;
    std::uint32_t nameLength = 0;
    std::uint32_t parent = SpaceTree::none;
    std::int64_t asize = 0;
    std::int64_t dsize = 0;
    std::int64_t mtime = 0;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint32_t links = 0;
    std::uint8_t flags = 0;
};

class Reader {
public:
    explicit Reader(const QByteArray& data) : p_(data.constData()), end_(p_ + data.size()) {}

    void skipSpace() {
        while (p_ < end_ && (*p_ == ' ' || *p_ == '\n' || *p_ == '\r' || *p_ == '\t'))
            ++p_;
    }
    [[nodiscard]] char peek() {
        skipSpace();
        if (p_ == end_) throw ParseError("the file ends too early");
        return *p_;
    }
    void expect(char c) {
        if (peek() != c) throw ParseError(std::string("expected '") + c + "'");
        ++p_;
    }
    // A comma before the next element, or the closing bracket; true for another element.
    bool more(char close) {
        const char c = peek();
        ++p_;
        if (c == ',') return true;
        if (c == close) return false;
        throw ParseError("expected ',' or the end of a list");
    }

    QByteArray string() {
        expect('"');
        QByteArray out;
        while (true) {
            if (p_ == end_) throw ParseError("a name is not closed");
            const char c = *p_++;
            if (c == '"') return out;
            if (c != '\\') {
                out.append(c);
                continue;
            }
            if (p_ == end_) throw ParseError("a name is not closed");
            const char e = *p_++;
            switch (e) {
                case 'b':
                    out.append('\b');
                    break;
                case 'f':
                    out.append('\f');
                    break;
                case 'n':
                    out.append('\n');
                    break;
                case 'r':
                    out.append('\r');
                    break;
                case 't':
                    out.append('\t');
                    break;
                case 'u':
                    appendCodePoint(out);
                    break;
                default:
                    out.append(e);
            }
        }
    }

    std::int64_t number() {
        skipSpace();
        const char* start = p_;
        while (p_ < end_ && (std::isdigit(static_cast<unsigned char>(*p_)) || *p_ == '-' ||
                             *p_ == '+' || *p_ == '.' || *p_ == 'e' || *p_ == 'E'))
            ++p_;
        if (p_ == start) throw ParseError("expected a number");
        const std::string text(start, p_);
        if (text.find_first_of(".eE") != std::string::npos)
            return std::int64_t(std::strtod(text.c_str(), nullptr));
        if (text[0] == '-') return std::strtoll(text.c_str(), nullptr, 10);
        return std::int64_t(std::strtoull(text.c_str(), nullptr, 10));
    }

    // Any value, read over: metadata and fields this program does not use.
    void skipValue() {
        int depth = 0;
        do {
            const char c = peek();
            if (c == '"') {
                string();
            } else if (c == '[' || c == '{') {
                ++p_;
                ++depth;
            } else if (c == ']' || c == '}') {
                ++p_;
                --depth;
            } else if (c == ',' || c == ':') {
                ++p_;
            } else if (c == 't' || c == 'f' || c == 'n') {
                literal();
            } else {
                number();
            }
        } while (depth > 0);
    }

    bool literal() {
        skipSpace();
        for (const char* word : {"true", "false", "null"}) {
            const std::size_t n = std::strlen(word);
            if (std::size_t(end_ - p_) >= n && std::memcmp(p_, word, n) == 0) {
                p_ += n;
                return word[0] == 't';
            }
        }
        throw ParseError("unexpected text");
    }

    bool flag() {
        const char c = peek();
        if (c == 't' || c == 'f' || c == 'n') return literal();
        return number() != 0;
    }

    [[nodiscard]] bool atEnd() {
        skipSpace();
        return p_ == end_;
    }

private:
    unsigned hex4() {
        if (end_ - p_ < 4) throw ParseError("a \\u escape is cut short");
        unsigned v = 0;
        for (int k = 0; k < 4; ++k) {
            const char c = *p_++;
            v <<= 4;
            if (c >= '0' && c <= '9')
                v |= unsigned(c - '0');
            else if (c >= 'a' && c <= 'f')
                v |= unsigned(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                v |= unsigned(c - 'A' + 10);
            else
                throw ParseError("a \\u escape is not hexadecimal");
        }
        return v;
    }
    void appendCodePoint(QByteArray& out) {
        unsigned cp = hex4();
        if (cp >= 0xd800 && cp < 0xdc00 && end_ - p_ >= 6 && p_[0] == '\\' && p_[1] == 'u') {
            const char* save = p_;
            p_ += 2;
            const unsigned low = hex4();
            if (low >= 0xdc00 && low < 0xe000)
                cp = 0x10000 + ((cp - 0xd800) << 10) + (low - 0xdc00);
            else
                p_ = save;
        }
        if (cp < 0x80) {
            out.append(char(cp));
        } else if (cp < 0x800) {
            out.append(char(0xc0 | (cp >> 6))).append(char(0x80 | (cp & 0x3f)));
        } else if (cp < 0x10000) {
            out.append(char(0xe0 | (cp >> 12)))
                .append(char(0x80 | ((cp >> 6) & 0x3f)))
                .append(char(0x80 | (cp & 0x3f)));
        } else {
            out.append(char(0xf0 | (cp >> 18)))
                .append(char(0x80 | ((cp >> 12) & 0x3f)))
                .append(char(0x80 | ((cp >> 6) & 0x3f)))
                .append(char(0x80 | (cp & 0x3f)));
        }
    }

    const char* p_;
    const char* end_;
};

// An entry object: the fields this program keeps, the rest read over.
Item readEntry(Reader& r, QByteArray& names) {
    Item item;
    bool hardLinked = false;
    r.expect('{');
    if (r.peek() == '}') throw ParseError("an entry has no name");
    bool named = false;
    do {
        const QByteArray key = r.string();
        r.expect(':');
        if (key == "name") {
            const QByteArray name = r.string();
            item.nameOffset = std::uint32_t(names.size());
            item.nameLength = std::uint32_t(name.size());
            names.append(name);
            named = true;
        } else if (key == "asize") {
            item.asize = r.number();
        } else if (key == "dsize") {
            item.dsize = r.number();
        } else if (key == "dev") {
            item.device = std::uint64_t(r.number());
        } else if (key == "ino") {
            item.inode = std::uint64_t(r.number());
        } else if (key == "nlink") {
            item.links = std::uint32_t(r.number());
        } else if (key == "mtime") {
            item.mtime = r.number();
        } else if (key == "hlnkc") {
            hardLinked = r.flag();
        } else if (key == "read_error") {
            if (r.flag()) item.flags |= SpaceTree::unreadable;
        } else if (key == "notreg") {
            if (r.flag()) item.flags |= SpaceTree::notRegular;
        } else if (key == "excluded") {
            // Left out of the scan (another file system, a pattern, a kernel file system):
            // kept by name, counting nothing.
            const bool excluded = r.peek() == '"' ? !r.string().isEmpty() : r.flag();
            if (excluded) item.flags |= SpaceTree::otherMount | SpaceTree::isFolder;
        } else {
            r.skipValue();
        }
    } while (r.more('}'));
    if (!named) throw ParseError("an entry has no name");
    if ((hardLinked || item.links > 1) && item.inode != 0) {
        item.flags |= SpaceTree::multiLinked;
        if (item.links < 2) item.links = 2;  // linked, the count unknown
    }
    return item;
}

}  // namespace

ImportedScan importScan(const QByteArray& data) {
    ImportedScan result;
    std::vector<Item> items;
    QByteArray names;
    try {
        Reader r(data);
        r.expect('[');
        if (r.number() != 1) throw ParseError("not a version 1 export");
        if (!r.more(']')) throw ParseError("the file ends too early");
        r.number();  // the minor version: later ones only add fields
        if (!r.more(']')) throw ParseError("the file ends too early");
        r.expect('{');
        if (r.peek() != '}') {
            do {
                const QByteArray key = r.string();
                r.expect(':');
                if (key == "timestamp" && r.peek() != '"')
                    result.timestamp = r.number();
                else
                    r.skipValue();
            } while (r.more('}'));
        } else {
            r.expect('}');
        }
        if (!r.more(']')) throw ParseError("the file holds no folder");
        // Folders nest as arrays; a stack of the open ones reads any depth.
        std::vector<std::uint32_t> open;
        const auto add = [&](Item item) {
            if (!open.empty()) {
                item.parent = open.back();
                if (item.device == 0) item.device = items[open.back()].device;
            }
            if (items.size() >= SpaceTree::none - 1) throw ParseError("too many entries");
            items.push_back(item);
        };
        const auto openFolder = [&] {
            r.expect('[');
            Item item = readEntry(r, names);
            item.flags = std::uint8_t((item.flags | SpaceTree::isFolder) & ~SpaceTree::otherMount);
            add(item);
            open.push_back(std::uint32_t(items.size() - 1));
        };
        openFolder();
        while (!open.empty()) {
            if (!r.more(']')) {
                open.pop_back();
                continue;
            }
            if (r.peek() == '[')
                openFolder();
            else
                add(readEntry(r, names));
        }
        r.more(']');
        if (!r.atEnd()) throw ParseError("text after the end");
    } catch (const ParseError& e) {
        result.error = QString::fromUtf8(e.what());
        return result;
    }

    // Each folder's entries in file order, as contiguous runs.
    const std::size_t n = items.size();
    std::vector<std::uint32_t> start(n + 1, 0);
    for (const Item& it : items)
        if (it.parent != SpaceTree::none) ++start[it.parent + 1];
    for (std::size_t i = 0; i < n; ++i)
        start[i + 1] += start[i];
    std::vector<std::uint32_t> entries(n == 0 ? 0 : n - 1);
    {
        std::vector<std::uint32_t> fill(start.begin(), start.end() - 1);
        for (std::uint32_t i = 1; i < n; ++i)
            entries[fill[items[i].parent]++] = i;
    }
    const auto isReadFolder = [&](std::uint32_t i) {
        return (items[i].flags & SpaceTree::isFolder) && !(items[i].flags & SpaceTree::otherMount);
    };

    // Hard links count where a scan meets them first: a folder's own entries when it is read,
    // then its sub-folders in order.
    {
        QSet<std::pair<std::uint64_t, std::uint64_t>> seen;
        std::vector<std::uint32_t> stack{0};
        while (!stack.empty()) {
            const std::uint32_t f = stack.back();
            stack.pop_back();
            for (std::uint32_t k = start[f]; k < start[f + 1]; ++k) {
                Item& it = items[entries[k]];
                if (!(it.flags & SpaceTree::multiLinked) || (it.flags & SpaceTree::isFolder))
                    continue;
                const std::pair<std::uint64_t, std::uint64_t> id{it.device, it.inode};
                if (seen.contains(id))
                    it.flags |= SpaceTree::linkRepeat;
                else
                    seen.insert(id);
            }
            for (std::uint32_t k = start[f + 1]; k > start[f]; --k)
                if (isReadFolder(entries[k - 1])) stack.push_back(entries[k - 1]);
        }
    }

    // Laid out a folder at a time, each folder's entries in one block.
    SpaceTree& tree = result.tree;
    const auto nameOf = [&](const Item& it) { return names.mid(it.nameOffset, it.nameLength); };
    tree.addRoot(nameOf(items[0]), items[0].dsize, items[0].asize, items[0].mtime, items[0].device);
    std::vector<std::pair<std::uint32_t, SpaceTree::Index>> queue{{0, tree.root()}};
    for (std::size_t q = 0; q < queue.size(); ++q) {
        const auto [f, node] = queue[q];
        tree.openBlock(node, tree.node(node).room);
        for (std::uint32_t k = start[f]; k < start[f + 1]; ++k) {
            const Item& it = items[entries[k]];
            const SpaceTree::Index c =
                tree.addEntry(nameOf(it), it.dsize, it.asize, it.mtime, it.flags);
            if (it.flags & SpaceTree::multiLinked)
                tree.addLinks({c, it.links, it.device, it.inode});
            if (isReadFolder(entries[k])) queue.emplace_back(entries[k], c);
        }
    }
    tree.finish();
    tree.compact();
    return result;
}

ImportedScan readScanFile(const QByteArray& path) {
    QFile in(QFile::decodeName(path));
    if (!in.open(QIODevice::ReadOnly)) {
        ImportedScan failed;
        failed.error = QStringLiteral("Can't open %1: %2").arg(displayPath(path), in.errorString());
        return failed;
    }
    ImportedScan read = importScan(in.readAll());
    if (!read.error.isEmpty())
        read.error =
            QStringLiteral("%1 is no scan that can be read: %2").arg(displayPath(path), read.error);
    return read;
}

}  // namespace rk
