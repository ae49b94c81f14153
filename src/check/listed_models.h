#pragma once

#include <cstddef>
#include <iterator>
#include <string>

#include "check/model_list_page.h"

namespace corvane {

// The models of one listing in the order first listed. They sit one after
// another in one text, so that a hundred thousand models cost no allocation
// each; repeats are dropped once, after the last page, with one table sized
// for the whole list.
class ListedModels {
public:
    // A listing of `listingBytes` never needs more text than that: the text
    // is reserved once and never moves, and the room it does not use is never
    // touched, so costs nothing.
    explicit ListedModels(std::size_t listingBytes);

    void add(const ListedModel& model);
    // Keeps the first model of each ID and drops the others, in place.
    void dropRepeats();
    // How many models; after dropRepeats(), how many different ones.
    std::size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }

    class Iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = ListedModel;
        using difference_type = std::ptrdiff_t;
        using pointer = const ListedModel*;
        using reference = const ListedModel&;

        Iterator(const std::string& text, std::size_t place);
        const ListedModel& operator*() const { return model_; }
        Iterator& operator++();
        bool operator==(const Iterator& other) const { return place_ == other.place_; }

    private:
        // Reads the model at place_: once a step.
        void read();

        const std::string* text_;
        std::size_t place_;
        std::size_t nextPlace_ = 0;
        ListedModel model_;
    };
    Iterator begin() const { return {text_, 0}; }
    Iterator end() const { return {text_, text_.size()}; }

private:
    std::string text_;
    std::size_t count_ = 0;
};

}  // namespace corvane
