#pragma once

#include <QtCore/QList>
#include <QtQml/QQmlListProperty>

namespace quelta::gui {

namespace detail {

template<typename Getter>
struct ListGetterTraits;

template<typename Owner, typename Element>
struct ListGetterTraits<QList<Element *> (Owner::*)() const>
{
    using OwnerType = Owner;
    using ElementType = Element;
};

} // namespace detail

// A list property that QML can only count and index, over the list that the
// owner's const member function listOf returns; the list is asked for afresh
// on every access, so it may be computed. The owner is found by a cast of the
// list's object: any other object counts 0, and an index out of range gives
// null.
template<auto listOf>
auto readOnlyListProperty(QObject *owner)
{
    using Traits = detail::ListGetterTraits<decltype(listOf)>;
    using Owner = typename Traits::OwnerType;
    using Element = typename Traits::ElementType;
    using Property = QQmlListProperty<Element>;

    static constexpr auto elements = [](Property *property) {
        const auto *listOwner = qobject_cast<const Owner *>(property->object);
        return listOwner ? (listOwner->*listOf)() : QList<Element *>();
    };
    return Property(
        owner, nullptr, [](Property *property) { return elements(property).size(); },
        [](Property *property, int index) { return elements(property).value(index); });
}

} // namespace quelta::gui
