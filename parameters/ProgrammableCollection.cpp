// Routing of flat parameter indexes to the children of a collection.
#include "parameters/ProgrammableCollection.h"

void ProgrammableCollection::append(IProgrammable* child)
{
    if (child != nullptr)
    {
        children.push_back(child);
        total += child->getParameterCount();
    }
}

std::span<IProgrammable* const> ProgrammableCollection::route(int index, int& local) const
{
    if (index < 0 || index >= total)
    {
        return {};
    }
    local = index;
    for (std::size_t i = 0; i < children.size(); ++i)
    {
        const int count = children[i]->getParameterCount();
        if (local < count)
        {
            return {&children[i], 1};
        }
        local -= count;
    }
    return {};
}
