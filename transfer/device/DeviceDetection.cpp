#include "DeviceDetection.h"

#include <QHash>
#include <QList>

DeviceDetector::DeviceDetector(QObject* parent) : QObject(parent) {}

DeviceDetector::~DeviceDetector() = default;

RegistryKey::~RegistryKey() = default;

struct MemoryRegistryKey::Node {
    struct Value {
        QString name;
        std::optional<QByteArray> data;
    };
    struct Child {
        QString name;
        std::shared_ptr<Node> node;
    };

    bool openable = true;
    QList<Child> children;  // in enumeration order
    QList<Value> values;

    std::shared_ptr<Node> child(const QString& name) const
    {
        for (const Child& c : children) {
            if (c.name.compare(name, Qt::CaseInsensitive) == 0) return c.node;
        }
        return nullptr;
    }
};

namespace {

QStringList splitKeyPath(const QString& path) { return path.split(u'\\', Qt::SkipEmptyParts); }

}  // namespace

MemoryRegistryKey::MemoryRegistryKey() : m_node(std::make_shared<Node>()) {}

MemoryRegistryKey::MemoryRegistryKey(std::shared_ptr<Node> node) : m_node(std::move(node)) {}

MemoryRegistryKey::~MemoryRegistryKey() = default;

MemoryRegistryKey MemoryRegistryKey::addKey(const QString& path)
{
    std::shared_ptr<Node> node = m_node;
    for (const QString& name : splitKeyPath(path)) {
        std::shared_ptr<Node> next = node->child(name);
        if (!next) {
            next = std::make_shared<Node>();
            node->children.append({name, next});
        }
        node = next;
    }
    return MemoryRegistryKey(node);
}

void MemoryRegistryKey::removeKey(const QString& path)
{
    QStringList names = splitKeyPath(path);
    if (names.isEmpty()) return;
    const QString last = names.takeLast();
    std::shared_ptr<Node> node = m_node;
    for (const QString& name : std::as_const(names)) {
        node = node->child(name);
        if (!node) return;
    }
    node->children.removeIf(
        [&](const Node::Child& c) { return c.name.compare(last, Qt::CaseInsensitive) == 0; });
}

void MemoryRegistryKey::setValue(const QString& name, const QByteArray& data)
{
    for (Node::Value& v : m_node->values) {
        if (v.name.compare(name, Qt::CaseInsensitive) == 0) {
            v.data = data;
            return;
        }
    }
    m_node->values.append({name, data});
}

void MemoryRegistryKey::setText(const QString& name, const QString& text)
{
    QByteArray data = text.toUtf8();
    data.append('\0');
    setValue(name, data);
}

void MemoryRegistryKey::setUnreadableValue(const QString& name)
{
    setValue(name, QByteArray());
    for (Node::Value& v : m_node->values) {
        if (v.name.compare(name, Qt::CaseInsensitive) == 0) v.data.reset();
    }
}

void MemoryRegistryKey::removeValue(const QString& name)
{
    m_node->values.removeIf(
        [&](const Node::Value& v) { return v.name.compare(name, Qt::CaseInsensitive) == 0; });
}

void MemoryRegistryKey::setOpenable(bool openable) { m_node->openable = openable; }

std::unique_ptr<RegistryKey> MemoryRegistryKey::openSubKey(const QString& path) const
{
    std::shared_ptr<Node> node = m_node;
    for (const QString& name : splitKeyPath(path)) {
        node = node->child(name);
        if (!node || !node->openable) return nullptr;
    }
    return std::unique_ptr<RegistryKey>(new MemoryRegistryKey(node));
}

QStringList MemoryRegistryKey::subKeyNames() const
{
    QStringList names;
    for (const Node::Child& c : std::as_const(m_node->children))
        names.append(c.name);
    return names;
}

QStringList MemoryRegistryKey::valueNames() const
{
    QStringList names;
    for (const Node::Value& v : std::as_const(m_node->values))
        names.append(v.name);
    return names;
}

std::optional<QByteArray> MemoryRegistryKey::readValue(const QString& name) const
{
    for (const Node::Value& v : std::as_const(m_node->values)) {
        if (v.name.compare(name, Qt::CaseInsensitive) == 0) return v.data;
    }
    return std::nullopt;
}
