#!/bin/sh
# Conversion speed and memory, next to baselines measured in the same run:
#   - bench_convert under Wine: ConvertDocument, and a 64 KiB block copy of
#     the same file in the same process;
#   - natively on Linux, the one-line perl substitution users reach for.
# Three generated documents: 1 MiB and 64 MiB of RTF-like text with CR LF line
# ends, and 64 MiB on a single line. The converted copies of every document are
# also compared with perl's output, which is what the conversion should give.
#
#   bench/run.sh            (from anywhere; BENCH_RUNS=N sets the runs, default 3)
# The documents and outputs stay in build/bench-data for a look afterwards.
set -eu
started=$(date +%s)
root=$(cd "$(dirname "$0")/.." && pwd -P)
cd "$root"
runs=${BENCH_RUNS:-3}
data="$root/build/bench-data"

# Configure only when build/ has never been configured: another configure
# would be harmless but slow, and build/ may be in use by someone else.
if [ ! -f build/CMakeCache.txt ]; then
  cmake -S . -B build -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake >/dev/null
fi
# wine-run.sh waits for wine-keeper.exe when it starts a Wine session.
cmake --build build -j2 --target bench_convert wine-keeper >/dev/null

winpath() { printf 'Z:%s\n' "$1" | tr / '\\'; }
now() { date +%s.%N; }

# gen MODE BYTES FILE: writes a document of about BYTES bytes (never less) and
# prints how many panose groups it holds. The seed is fixed, so every run
# measures the same documents.
#   lines: CR LF lines of 60-80 bytes; every 4th line is a font table entry
#          holding a panose group.
#   single: no line end at all; groups at random places between runs of text,
#          so some of them straddle any fixed-size piece the reader takes.
gen() {
  perl -e '
    use strict; use warnings;
    my ($mode, $bytes, $file) = @ARGV;
    srand(19970101);
    my @words = qw(Lorem ipsum dolor sit amet consectetur adipiscing elit sed do eiusmod
      tempor incididunt ut labore et dolore magna aliqua Ut enim ad minim veniam quis
      nostrud exercitation ullamco laboris nisi aliquip ex ea commodo consequat);
    my @escapes = ("\\\x2782\\\x27a0 ", "\\\x2793\\\x27fa\\\x2796\\\x277b ", "\\~", "\\tab ");  # \x27 is a quote
    my @fonts = ("Arial", "Times New Roman", "Century", "MS Mincho", "MS Gothic", "Courier New");
    my @families = qw(fswiss froman fmodern fnil);
    sub words_to {
      my ($length) = @_;
      my $text = "";
      while (length($text) < $length) {
        my $r = rand();
        $text .= $r < 0.05 ? "{\\b " . $words[rand @words] . "} "
               : $r < 0.10 ? $escapes[rand @escapes]
               : $words[rand @words] . " ";
      }
      return $text;
    }
    sub panose { "{\\*\\panose " . join("", map { sprintf "%02x", int rand 256 } 1 .. 10) . "}" }
    sub font_entry {
      sprintf "{\\f%d\\%s\\fcharset%d%s%s;}", int rand 300, $families[rand @families],
        (0, 128)[rand 2], panose(), $fonts[rand @fonts];
    }
    sub paragraph {
      my $head = sprintf "\\pard\\plain \\s%d\\qj\\li%d\\f%d\\fs20 ", int rand 10, 210 * int rand 4, int rand 300;
      my $line = $head . words_to(60 + int(rand 21) - length($head) - 4);
      return substr($line, 0, 76) . "\\par";
    }
    # A pool of pieces picked at random keeps generation quick for 64 MiB.
    my (@texts, @entries);
    push @texts, ($mode eq "lines" ? paragraph() : words_to(20 + int rand 380)) for 1 .. 4096;
    push @entries, font_entry() for 1 .. 4096;
    open my $out, ">:raw", $file or die "$file: $!\n";
    my ($written, $groups, $line, $chunk) = (0, 0, 0, "");
    while ($written + length($chunk) < $bytes) {
      if ($mode eq "lines" && ++$line % 4 == 0) {
        $chunk .= $entries[rand @entries] . "\r\n";
        $groups++;
      } elsif ($mode eq "lines") {
        $chunk .= $texts[rand @texts] . "\r\n";
      } else {
        $chunk .= $texts[rand @texts] . panose();
        $groups++;
      }
      if (length($chunk) >= 1 << 20) { print $out $chunk; $written += length($chunk); $chunk = ""; }
    }
    print $out $chunk;
    close $out or die "$file: $!\n";
    print "$groups\n";
  ' "$@"
}

# perl_rate FILE OUT: the best MB/s of $runs runs of the perl one-liner.
perl_rate() {
  best=
  i=0
  while [ $i -lt "$runs" ]; do
    t0=$(now)
    perl -pe 's/\{\\\*\\panose[^}]*\}/ /g' <"$1" >"$2"
    t1=$(now)
    best=$(awk -v a="$t0" -v b="$t1" -v best="$best" 'BEGIN { t = b - a; if (best != "" && best < t) t = best; print t }')
    i=$((i + 1))
  done
  awk -v bytes="$(wc -c <"$1")" -v t="$best" 'BEGIN { printf "%.1f\n", bytes / 1048576 / t }'
}

# field NAME FILE: the value of a "name value" line of bench_convert's output.
field() { awk -v name="$1" '$1 == name { print $2 }' "$2"; }

rm -rf "$data"
mkdir -p "$data/converted" "$data/perl"
echo "Generating documents in $data ..."
g_1m_lines=$(gen lines 1048576 "$data/lines-1m.rtf")
g_64m_lines=$(gen lines 67108864 "$data/lines-64m.rtf")
g_64m_single=$(gen single 67108864 "$data/single-64m.rtf")

table="$data/table.txt"
: >"$table"
problems=0
for doc in lines-1m lines-64m single-64m; do
  source="$data/$doc.rtf"
  log="$data/$doc.bench.txt"
  echo
  echo "== $doc ($(wc -c <"$source") bytes)"
  status=0
  "$root/build/wine-run.sh" "$root/build/bin/bench_convert.exe" both "$(winpath "$source")" \
    "$(winpath "$data/converted")" "$runs" >"$log.raw" 2>"$data/$doc.bench.err" || status=$?
  tr -d '\r' <"$log.raw" >"$log"   # a Windows program's text output ends lines with CR LF
  sed 's/^/  /' "$log"
  if [ $status -ne 0 ]; then
    echo "  bench_convert failed (exit status $status):"
    { iconv -f CP932 -t UTF-8 "$data/$doc.bench.err" || cat "$data/$doc.bench.err"; } | sed 's/^/  /'
    problems=$((problems + 1))
    continue
  fi
  perl=$(perl_rate "$source" "$data/perl/$doc.rtf")
  echo "  perl $perl"

  # The check: the same bytes as perl's output, and as many groups removed as
  # the generator put in.
  case $doc in
    lines-1m) expected=$g_1m_lines ;; lines-64m) expected=$g_64m_lines ;; *) expected=$g_64m_single ;;
  esac
  removed=$(field groups_removed "$log")
  check=ok
  if [ "$removed" != "$expected" ]; then
    echo "  MISMATCH: the generator wrote $expected groups, the conversion removed $removed"
    check=FAILED
  fi
  if ! cmp -s "$data/converted/$doc.rtf" "$data/perl/$doc.rtf"; then
    echo "  MISMATCH: the converted copy differs from perl's output:"
    cmp "$data/converted/$doc.rtf" "$data/perl/$doc.rtf" 2>&1 | sed 's/^/    /' || true
    echo "    sizes: converted $(wc -c <"$data/converted/$doc.rtf"), perl $(wc -c <"$data/perl/$doc.rtf")"
    echo "    panose markers left: converted $(grep -o '{\\\*\\panose' "$data/converted/$doc.rtf" | wc -l)," \
      "perl $(grep -o '{\\\*\\panose' "$data/perl/$doc.rtf" | wc -l)"
    check=FAILED
  fi
  [ $check = ok ] || problems=$((problems + 1))
  echo "  output check: $check"

  printf '%s %s %s %s %s %s %s %s %s %s\n' "$doc" "$(field bytes "$log")" "$(field convert "$log")" \
    "$(field copy64k "$log")" "$perl" "$(field peak_working_set_kb "$log")" \
    "$(field start_peak_working_set_kb "$log")" "$(field peak_pagefile_kb "$log")" \
    "$(field start_peak_pagefile_kb "$log")" "$check" >>"$table"
done

echo
echo "MB = 2^20 bytes; best of $runs runs each. convert and copy64k run under Wine, perl natively."
echo "Peak working set (WS) and pagefile usage (PF) of the process after the conversion runs, in KiB;"
echo "(+n) is the rise over the same figure before the first run, i.e. what the conversion added."
echo "Wine reports the current pagefile usage as its peak, so PF shows what was still held afterwards."
awk 'BEGIN {
       printf "%-11s %6s %9s %9s %9s %12s %12s %16s %16s %6s\n", "document", "MiB", "convert", "copy64k",
         "perl", "convert/copy", "convert/perl", "peak WS", "peak PF", "check"
     }
     {
       printf "%-11s %6.1f %9.1f %9.1f %9.1f %12.3f %12.3f %16s %16s %6s\n", $1, $2 / 1048576, $3, $4, $5,
         $3 / $4, $3 / $5, sprintf("%d (+%d)", $6, $6 - $7), sprintf("%d (+%d)", $8, $8 - $9), $10
     }' "$table"
echo "Total time: $(($(date +%s) - started)) s"
[ "$problems" -eq 0 ] || { echo "$problems document(s) had problems: see above"; exit 1; }
