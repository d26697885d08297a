#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build with the given libFuzzer options.
set -eu
build=$1; shift
echo "no fuzz targets yet"
