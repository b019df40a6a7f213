#pragma once
// Clones nested deep: two topics per level that share one child nest, level after level, so
// that 2^depth paths run through a file of 2 x depth topics. Walks that follow every path
// are exponential on it.
#include <cstdint>
#include <string>

#include "engine/core/Cards.h"
#include "engine/core/NestFunctions.h"

namespace kiv::test {

struct TCloneChain {
    uint32_t Top = 0;      // the nest of level 1: L1a L1b
    uint32_t Deepest = 0;  // the nest of the last level
};

inline std::string CloneChainCaption(int level, int k) {
    return "L" + std::to_string(level) + (k ? "b" : "a");
}

// Appends the nests of levels depth..1 (each {La, Lb} sharing the next level's nest) with
// their captions; nothing refers to the top nest yet.
inline TCloneChain AppendCloneChain(BlockFile* nestFile, BlockFile* cardFile, int depth) {
    TCards cards;
    cards.SetCardFile(cardFile);
    TCloneChain chain;
    uint32_t child = 0;
    for (int level = depth; level >= 1; --level) {
        TItemArray two(2);
        for (int k = 0; k < 2; ++k) {
            uint32_t dir = 0;
            if (!cards.WriteCard(kCardCaption, dir, CloneChainCaption(level, k)))
                throw EKivError("clone chain: a caption was not stored");
            two[size_t(k)] = {dir, child};
        }
        child = AppendNestBlock(nestFile, two);
        if (level == depth) chain.Deepest = child;
    }
    chain.Top = child;
    return chain;
}

}  // namespace kiv::test
