# Sourced by the benchmark scripts: strict mode, the top of the repository in $top, and a scratch
# directory $work that is removed when the script ends.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
