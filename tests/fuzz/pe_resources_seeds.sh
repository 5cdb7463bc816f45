#!/bin/sh
# Seeds the PE resource reader's corpus with the test fixture DLL, linked
# from its .rc the way the native tests link it.
set -eu
dir=$1
fixtures="$(dirname "$0")/../native/fixtures"
mkdir -p "$dir"
sh "$fixtures/build_pe_fixture.sh" "$fixtures/pe_resources.rc" "$dir/fixture.dll"
