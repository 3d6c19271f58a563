# shellcheck shell=bash
# The installation that the command measurements run against; sourced, not
# run. lay_out_installation DIR BIN makes, from the programs in BIN:
#
#   DIR/zerinctl            the tool, beside its settings file zerin.cfg
#   DIR/vexa/vexa           the stand-in engine (when it was copied in)
#   DIR/templates/          startvexa.sh and removevexa.sh, both `exit 1`:
#                           done at once, and a success to the tool
#   DIR/data/               vexa_config.xml, tmp/, repositories/NAME/vexa.ini
lay_out_installation() {
  local dir=$1 bin=$2 name
  mkdir -p "$dir/templates" "$dir/data/tmp" "$dir/data/repositories"
  cp "$bin/zerinctl" "$dir/zerinctl"
  if [[ -x "$bin/vexa" ]]; then
    mkdir -p "$dir/vexa"
    cp "$bin/vexa" "$dir/vexa/vexa"
  fi
  echo "repository_data_directory,$dir/data" >"$dir/zerin.cfg"
  for name in startvexa removevexa; do
    printf '#!/bin/sh\nexit 1\n' >"$dir/templates/$name.sh"
    chmod +x "$dir/templates/$name.sh"
  done
}

# A descriptor of `count` local instances repo1..repoCOUNT, one a line, with
# ports from `first` on (each instance's service port is its port + 1).
generate_descriptor() {
  local count=$1 file=$2 first=${3:-20000} n
  {
    echo '<?xml version="1.0" encoding="UTF-8"?>'
    echo '<repositories>'
    for ((n = 1; n <= count; ++n)); do
      printf '  <instance name="repo%d" port="%d" host="localhost" path=""/>\n' \
        "$n" $((first + 2 * n))
    done
    echo '</repositories>'
  } >"$file"
}

# The names of the instances a descriptor holds, one a line, in order.
instance_names() {
  xmlstarlet sel -t -m '//instance' -v '@name' -n "$1"
}

# WORK/install laid out as above with private copies of the tool and the
# engine, and r1 (below) on a free port: sets `install` and `port`.
lay_out_r1_installation() {
  private_binaries "$1" zerinctl vexa
  port=$(free_port)
  install="$1/install"
  lay_out_installation "$install" "$bin"
  lay_out_r1 "$install" "$port"
}

# The descriptor of DIR (laid out as above) names one local repository, r1,
# whose service listens on PORT, with its vexa.ini.
lay_out_r1() {
  local dir=$1 port=$2
  mkdir -p "$dir/data/repositories/r1"
  printf 'CONNECTION=host=localhost;port=%d;database=r1\n' $((port - 1)) \
    >"$dir/data/repositories/r1/vexa.ini"
  cat >"$dir/data/vexa_config.xml" <<EOF
<?xml version="1.0" encoding="UTF-8"?>
<repositories>
  <instance name="r1" port="$((port - 1))" host="localhost" path=""/>
</repositories>
EOF
}
