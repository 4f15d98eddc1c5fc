#pragma once
// The translations of a session, kept for reuse. A text seen before is found by its text; a
// plain statement (statement_shape.h) whose shape was translated before gets that translation
// with its own literal values written into it, without running the translator again.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "db/embedded/lru_cache.h"
#include "db/embedded/translator.h"

namespace db::embedded {

// A text with holes for literal values: pieces[0] value[slots[0]] pieces[1] … pieces.back().
struct SlottedText {
    std::vector<std::string> pieces{std::string()};
    std::vector<std::size_t> slots;

    std::string Fill(const std::vector<std::string>& values) const;
    // The text with ?n (n from 1) in the hole of value n.
    std::string Parameters() const;
};

// The translation of a shape: the program with sql and source of its one step as slotted texts;
// a shape whose translation could not be slotted is kept unusable, so that it is not tried again.
// A shape whose values can all be bound is run as one prepared statement: sql and source with
// ?n in the holes, the values bound each time.
struct ShapedTranslation {
    bool usable = false;
    Program program;
    SlottedText sql;
    SlottedText source;
    bool bindable = false;
    std::string boundSql;
    std::string boundSource;
};

class TranslationCache {
  public:
    TranslationCache(Dialect dialect, std::size_t capacity)
        : dialect_(dialect), texts_(capacity), shapes_(capacity) {}

    // The translation of text. Throws DbError as Translate does.
    std::shared_ptr<const Program> ProgramFor(std::string_view text);
    // Forgets every translation (they may depend on the schema, which has changed).
    void Clear() {
        texts_.Clear();
        shapes_.Clear();
    }
    // Texts that were translated by filling in a known shape.
    std::size_t ShapeHits() const { return shapeHits_; }

  private:
    Dialect dialect_;
    LruCache<std::shared_ptr<const Program>> texts_;
    LruCache<std::shared_ptr<const ShapedTranslation>> shapes_;
    std::size_t shapeHits_ = 0;
};

}  // namespace db::embedded
