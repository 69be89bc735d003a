#!/usr/bin/perl
# A stand-in for cleartool and multitool (by the name it is started under)
# that answers from a scenario file, so that get_replica_info.pl meets the
# layouts real ClearCase prints, not only those of the simulated region.
#
# STUB_SCENARIO: a Perl file returning { "TOOL ARG ARG..." => answer }, an
# answer being { out => TEXT, err => TEXT, status => N, delay => SECONDS,
# hang => SECONDS }: it waits delay seconds, prints out and err, then waits
# hang seconds more, and exits with status. A call without an answer prints
# a cleartool-like error and exits 1.
# STUB_LOG: every call appends "start TIME PID TOOL\tARG\tARG..." and, when
# it ends by itself, "end TIME PID TOOL\tARG...".

use strict;
use warnings;
use File::Basename qw(basename);
use Time::HiRes qw(time sleep);

my $tool = basename($0);
my $call = join("\t", $tool, @ARGV);

sub note {
    my ($what) = @_;
    open(my $log, '>>', $ENV{STUB_LOG}) or die "stub: cannot log: $!\n";
    syswrite($log, sprintf("%s %.3f %d %s\n", $what, time(), $$, $call));
    close $log;
}

note('start');
my $scenario = do $ENV{STUB_SCENARIO};
die "stub: cannot read the scenario: " . ($@ || $!) . "\n" unless ref $scenario;
my $answer = $scenario->{ join(' ', $tool, @ARGV) };
unless ($answer) {
    print STDERR "$tool: Error: stub has no answer for: @ARGV\n";
    note('end');
    exit 1;
}
binmode STDOUT;
binmode STDERR;
sleep($answer->{delay}) if $answer->{delay};
print STDOUT $answer->{out} if defined $answer->{out};
print STDERR $answer->{err} if defined $answer->{err};
STDOUT->flush();
STDERR->flush();
sleep($answer->{hang}) if $answer->{hang};
note('end');
exit($answer->{status} || 0);
