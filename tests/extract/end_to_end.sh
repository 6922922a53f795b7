#!/usr/bin/env bash
# Whole runs of the built program in plain mode: answers piped in, the table compared byte
# for byte with one derived by hand, the screen transcript checked for the step lines and
# the closing line, and the exit status checked.
#
#   end_to_end.sh PATH_TO_DURNO [REASON_FOR_A_MISSING_FILE]
#
# The reason is the system's text for a file that does not exist ("No such file or
# directory" on POSIX, the default).
set -uo pipefail
durno="$1"
missing_reason="${2:-No such file or directory}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 2
failures=0

fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# Field texts of the step mask ' #####    ' and the value mask ' 00.000000000e+00   '.
zero=' 00.000000000e-01   '
titles='  STEP          VAP            WT%VAP         P(tot)       '
pad9='         '
pad10='          '

# run1.out: CR LF line ends, as ZEPRO writes them.
printf '%s\r\n' ' ZEPRO  -  EQUILIBRIUM VAPORIZATION' ' STEP NUMBER     1' \
  '   VAP = 1.2345E-03' ' WTVAP =  0.5' '  PTOT = 2.5E+01' '   ASiO2  =  3.1416E-02' \
  '   AMgO = 0.25' ' GSiO2 = 1.5' '  STEP NUMBER     2' '   VAP = 0.125' \
  '   ASiO2 = 1.0E-01' >run1.out
# run2.out: LF line ends, as a file copied from a Linux machine has them.
printf '%s\n' ' STEP NUMBER 1' 'AMgO = 4.0E-01' ' STEP NUMBER 2' >run2.out
# run3.out: a coefficient beyond the range of a double.
printf '%s\r\n' 'GSiO2 = 1E400' ' STEP NUMBER 7' >run3.out

expect_table() {  # name, expected bytes
  if [ ! -f "$1" ]; then fail "$1 was not written"; return; fi
  if ! cmp -s "$1" <(printf '%s' "$2"); then
    fail "$1 differs from the expected table"
    diff <(od -c "$1") <(printf '%s' "$2" | od -c) | head -20 >&2
  fi
}

expect_output() {  # transcript file, text that must appear
  grep -qF -- "$2" "$1" || fail "the screen lacks '$2'"
}

# 1. The typical run: activities of SiO2 and MgO typed by hand, two result files.
printf 'xA\n\nSiO2\nMgO\n\nn\n\nrun1.out\nrun2.out\n\nn\nout\n' | "$durno" >screen1.txt 2>&1
status=$?
[ "$status" = 0 ] || fail "typical run exited with $status"
crlf=$'\r\n'
vap1=' 12.345000000e-04   '; wt=' 50.000000000e-02   '; ptot=' 25.000000000e+00   '
expect_table out.dat "Data from run1.out${crlf}Activities ${crlf}${titles}ASiO2 ${pad9}AMgO ${pad10}${crlf}\
 1    ${zero}${zero}${zero}${zero}${zero}${crlf}\
 2    ${vap1}${wt}${ptot} 31.416000000e-03    25.000000000e-02   ${crlf}\
 1     12.500000000e-02   ${wt}${ptot} 10.000000000e-02    25.000000000e-02   ${crlf}\
 2     12.500000000e-02   ${wt}${ptot} 10.000000000e-02    40.000000000e-02   ${crlf}"
expect_output screen1.txt 'at STEP =  1 '
expect_output screen1.txt 'at STEP =  2 '
expect_output screen1.txt 'Extracted data are on out.dat'
[ "$(grep -c 'at STEP = ' screen1.txt)" = 4 ] || fail "typical run: not four step lines"

# 2. An unknown quantity code: no label, no value columns, the key title still there.
printf 'xz\n\nSiO2\n\nn\n\nrun1.out\n\nn\nz\n' | "$durno" >screen2.txt 2>&1
[ $? = 0 ] || fail "run with code Z failed"
expect_table z.dat "Data from run1.out${crlf}${titles}ZSiO2 ${pad9}${crlf}\
 1    ${zero}${zero}${zero}${crlf}\
 2    ${vap1}${wt}${ptot}${crlf}"

# 3. Activity coefficients are held as doubles: one beyond their range shows as infinite.
printf 'xG\n\nSiO2\n\nn\n\nrun1.out\nrun3.out\n\nn\ng\n' | "$durno" >screen3.txt 2>&1
[ $? = 0 ] || fail "run with code G failed"
expect_table g.dat "Data from run1.out${crlf}Activity Coefficients${crlf}${titles}GSiO2 ${pad9}${crlf}\
 1    ${zero}${zero}${zero}${zero}${crlf}\
 2    ${vap1}${wt}${ptot} 15.000000000e-01   ${crlf}\
 7     12.500000000e-02   ${wt}${ptot} 10.000000000e+998   ${crlf}"

# 4. A result file that does not exist is named with the reason and passed over; the table
#    is written, but the run ends with status 3 and a line that counts the missing files.
printf 'xA\n\nSiO2\n\nn\n\nmissing.out\nrun3.out\n\nn\nm\n' | "$durno" >screen4.txt 2>&1
[ $? = 3 ] || fail "run with a missing result file did not end with status 3"
expect_output screen4.txt 'Extracted data are on m.dat'
expect_output screen4.txt '1 of 2 result files could not be read (each is named above)'
expect_output screen4.txt "Result file \"missing.out\" could not be opened: $missing_reason"
expect_table m.dat "Data from missing.out${crlf}Activities ${crlf}${titles}ASiO2 ${pad9}${crlf}\
 7    ${zero}${zero}${zero}${zero}${crlf}"

# 5. The table itself named as a result file cannot be read while it is being written.
printf 'xA\n\n\nn\n\nself.dat\nrun3.out\n\nn\nself\n' | "$durno" >screen5.txt 2>&1
[ $? = 3 ] || fail "run naming its own table did not end with status 3"
expect_output screen5.txt 'Result file "self.dat" could not be opened: '
expect_table self.dat "Data from self.dat${crlf}Activities ${crlf}${titles}${crlf}\
 7    ${zero}${zero}${zero}${crlf}"

# 6. A table that cannot be created: the scan runs, the run ends with status 1 and
#    without the closing line.
printf 'xA\n\nSiO2\n\nn\n\nrun1.out\n\nn\nnodir/t\n' | "$durno" >screen6.txt 2>&1
status=$?
[ "$status" = 1 ] || fail "an uncreatable table gave exit status $status, not 1"
grep -qF 'Extracted data are on' screen6.txt && fail "an uncreatable table was announced"
expect_output screen6.txt 'nodir/t.dat'
expect_output screen6.txt 'at STEP =  2 '

if [ "$failures" -gt 0 ]; then
  echo "$failures end-to-end check(s) failed" >&2
  exit 1
fi
echo "all end-to-end checks passed"
