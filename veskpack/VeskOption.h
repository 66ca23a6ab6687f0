// Command block, image blocks and their option tables: initialisation with
// every default, and the version texts of the framework.
#pragma once

#include "VeskDefinition.h"

// "VeskOption V6.78 Marvane 2015-11-17"
const char *VeskOptionVersion();
// The version of the framework library, "V2.478".
const char *vesk_libversion();
// The program's version banner, "" without block or banner.
const char *vesk_progversion(const CmdBlk *pcb);
// The version line "# <program> <framework> <data-file library>", "" without block.
const char *vesk_version(const CmdBlk *pcb);

// The one call a program makes before anything else: fills the command block
// and the `ib_len` image blocks with their defaults and builds both option
// tables. Ends the process when the tables cannot be allocated.
void InitOptions(const char *mainhelp, const char *mainvers, void *maindata, int rjctnum,
                 CmdBlk *pcb, ImgBlk ib[], int ib_len);
// Sets the command block to its initial values (option tables left empty).
void InitCommandBlock(const char *mhlp, const char *mvers, void *mdat, int rjctnum, ImgBlk ib[],
                      int ib_len, CmdBlk *pcb);
// Sets image block `blkno` of `ib` to its initial values.
void InitImageBlock(ImgBlk ib[], int blkno);
// Fill the command table (`cl` entries) and the image table (`il` entries).
// A table that is too short is refused and ends the process.
void InitCommandOptions(OptDsc co[], int cl);
void InitImageOptions(OptDsc io[], int il);
