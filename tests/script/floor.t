#!/usr/bin/perl
# What the oldest Perl that ClearCase ships needs of get_replica_info.pl:
# Perl 5.8 syntax, modules that Perl 5.8 already had, and no list form of
# pipe open (Windows Perl before 5.22 refuses it at run time, which no
# syntax check sees).
#
# QUORVANE_SCRIPT: the script under test.

use strict;
use warnings;
use Test::More;
use Module::CoreList;

my $SCRIPT = $ENV{QUORVANE_SCRIPT} or BAIL_OUT('QUORVANE_SCRIPT is not set');
open(my $fh, '<', $SCRIPT) or BAIL_OUT("cannot read $SCRIPT: $!");
my $source = do { local $/; <$fh> };
close $fh;

my $check = `"$^X" -c "$SCRIPT" 2>&1`;
is($?, 0, 'perl -c passes') or diag($check);

my $report = `perlver "$SCRIPT" 2>&1`;
my ($version) = $report =~ /Minimum version of perl\s*:\s*v?([\d.]+)/;
ok(defined $version, 'perlver measures the script') or diag($report);
SKIP: {
    skip 'no measure', 1 unless defined $version;
    my @part = (split(/\./, $version), 0, 0);
    my $numeric = $part[0] + $part[1] / 1000 + $part[2] / 1000000;
    cmp_ok($numeric, '<=', 5.008, "perlver's minimum ($version) is Perl 5.8 or older");
}

my @modules = $source =~ /^\s*(?:use|require)\s+([A-Z][\w:]*|strict|warnings)\b/mg;
push @modules, $source =~ /\brequire\s+([A-Z][\w:]*)/g;
ok(scalar(@modules), 'the script names its modules');
for my $module (sort keys %{ { map { $_ => 1 } @modules } }) {
    ok(exists $Module::CoreList::version{5.008}{$module}, "$module is a core module of Perl 5.8");
}

unlike($source, qr/\bopen\s*\(?[^;]*?['"](?:-\||\|-)['"]/, 'no pipe open in the list form');

done_testing();
