// Phase 5, the output: the catalogue file, and the checkpoint that lets an interrupted run
// resume where it stopped. Every file is written beside its final name and renamed over it
// only once it is whole.
#ifndef TOMB_OUTPUT_H
#define TOMB_OUTPUT_H

#include "model.h"

// Writes the stages in the given order, one line each with its length and block count.
// Returns 0 and says why when a stage is not what it claims or the file cannot be written.
int WriteCatalogue(const std::string &path, const Catalogue &cat, const std::vector<int> &order,
                   std::string *why);

// Reads a catalogue file as written above (layouts only). Returns 0 and says why on a
// malformed file.
int ReadCatalogue(const std::string &path, std::vector<std::vector<uint8_t>> *layouts,
                  std::string *why);

int SaveCheckpoint(const std::string &path, const Options &o, const Pool &pool,
                   const Catalogue &cat, double elapsed, std::string *why);
// Returns 1 when a checkpoint was read, 0 when there is none, -1 (with why) when it was made
// with other settings or is damaged.
int LoadCheckpoint(const std::string &path, const Options &o, Pool *pool, Catalogue *cat,
                   double *elapsed, std::string *why);

#endif
